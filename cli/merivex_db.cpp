// merivex-db: the companion tool that creates, checks, exports, backs up,
// restores, imports into and corrects the patient file. This file reads the
// arguments and picks the command.
#include "cli/commands.h"
#include "db/backups.h"
#include "db/database_file.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace
{

using namespace merivex::tool;

// The positional arguments each command takes: fewest, most.
struct Shape {
    int fewest, most;
    const char *names;
};

int dispatch(const QString &command, const QStringList &arguments)
{
    static const QHash<QString, Shape> shapes = {
        {QStringLiteral("create"), {0, 1, "[PATH]"}},
        {QStringLiteral("check"), {0, 1, "[PATH]"}},
        {QStringLiteral("export"), {0, 1, "[PATH]"}},
        {QStringLiteral("backup"), {1, 2, "[PATH] DEST"}},
        {QStringLiteral("backups"), {0, 1, "[PATH]"}},
        {QStringLiteral("restore"), {1, 2, "BACKUP [PATH]"}},
        {QStringLiteral("delete-measurement"), {1, 2, "ID [PATH]"}},
    };
    // import reads its own options.
    if (command == QLatin1String("import"))
        return importHistory(arguments);
    if (command == QLatin1String("fhir"))
        return fhirExport(arguments);
    if (!shapes.contains(command))
        return usageError(command.isEmpty() ? QStringLiteral("no command given.")
                                            : QStringLiteral("unknown command %1.").arg(command));
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows the usage."));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Folder."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace."));
    parser.addOption(help);
    if (command == QLatin1String("export"))
        parser.addOptions({csv, force});
    if (!parser.parse(QStringList{QStringLiteral("merivex-db")} + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        print(usage());
        return Success;
    }
    const QStringList names = parser.positionalArguments();
    const Shape shape = shapes.value(command);
    if (names.size() < shape.fewest || names.size() > shape.most)
        return usageError(QStringLiteral("%1 takes %2.").arg(command, QLatin1String(shape.names)));
    // The application's file, found (and, installed, checked) only when no
    // PATH is given.
    const auto pathAt = [&](qsizetype i) {
        return i < names.size() ? names[i] : merivex::databasePath();
    };

    // The default file's folder is the user's data folder once installed: made
    // when a command that writes the file meets it missing.
    if (command == QLatin1String("create")) {
        if (names.isEmpty())
            merivex::makeDataFolder();
        return create(pathAt(0));
    }
    if (command == QLatin1String("check"))
        return check(pathAt(0));
    if (command == QLatin1String("export")) {
        if (!parser.isSet(csv) || parser.value(csv).isEmpty())
            return usageError(QStringLiteral("export needs --csv DIR."));
        return exportCsv(pathAt(0), parser.value(csv), parser.isSet(force));
    }
    if (command == QLatin1String("delete-measurement"))
        return deleteMeasurement(names.first(), pathAt(1));
    if (command == QLatin1String("backups"))
        return listBackups(pathAt(0));
    if (command == QLatin1String("backup"))
        return backup(names.size() == 2 ? names.first() : merivex::databasePath(), names.last());
    const QString path = pathAt(1);
    QString backupFile = names.first();
    // The name of an automatic backup, as merivex-db backups lists it.
    const QString automatic = QDir(merivex::backupFolder(path)).filePath(backupFile);
    if (!backupFile.contains(QLatin1Char('/')) && !QFileInfo::exists(backupFile) &&
        QFileInfo::exists(automatic))
        backupFile = automatic;
    if (QFileInfo::exists(path) &&
        QFileInfo(backupFile).canonicalFilePath() == QFileInfo(path).canonicalFilePath())
        return usageError(QStringLiteral("BACKUP and PATH are the same file."));
    if (names.size() == 1)
        merivex::makeDataFolder();
    return restore(backupFile, path);
}

} // namespace

int main(int argc, char *argv[])
{
    // Whatever a command raises, also outside its own report (finding or
    // making the data folder), is reported with its number and text.
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    return run(command.isEmpty() ? QStringLiteral("merivex-db") : command, [&] {
        // The report draws, and so makes an application object of its own.
        if (command == QLatin1String("report"))
            return merivex::tool::report(argc, argv);
        QCoreApplication app(argc, argv);
        const QStringList args = QCoreApplication::arguments().mid(1);
        const QString first = args.value(0);
        if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
            print(usage());
            return int(Success);
        }
        return dispatch(first, args.mid(1));
    });
}
