#include "tools/commands.h"

#include "db/database_file.h"
#include "tools/maintenance.h"
#include "tools/restore.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <functional>

namespace merivex::tool
{

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

namespace
{

QString counted(long count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}
QString patients(long count)
{
    return counted(count, "patient", "patients");
}
QString measurements(long count)
{
    return counted(count, "measurement", "measurements");
}

} // namespace

int usageError(const QString &message)
{
    print(stderr, QStringLiteral("merivex-db: ") + message);
    print(stderr, usage());
    return Usage;
}

int run(const QString &path, const QString &what, const std::function<int()> &command)
{
    try {
        return command();
    } catch (const Error &error) {
        if (error.number() == ErrorNumber::FileInUse) {
            print(stderr, QStringLiteral("merivex-db: %1 is in use, most likely by MerivexDemo "
                                         "(error %2: %3). Close the application and try again.")
                              .arg(native(path))
                              .arg(error.number())
                              .arg(error.description()));
            return FileInUse;
        }
        print(stderr, QStringLiteral("merivex-db: %1: error %2: %3")
                          .arg(what)
                          .arg(error.number())
                          .arg(error.description()));
        return Failed;
    }
}

QString usage()
{
    return QStringLiteral(
        "Usage: merivex-db create [PATH]\n"
        "       merivex-db check [PATH]\n"
        "       merivex-db export [PATH] --csv DIR [--force]\n"
        "       merivex-db backup [PATH] DEST\n"
        "       merivex-db restore BACKUP [PATH]\n"
        "       merivex-db import FILE [PATH] --patient ID [--unit kg|lb] [--height METRES]\n"
        "                         [--source-patient ID] [--dry-run]\n"
        "       merivex-db report [PATH] --patient ID [--from DATE] [--to DATE] OUT.pdf\n"
        "       merivex-db --help\n"
        "\n"
        "PATH is the patient database; it defaults to Merivex.mdb in the folder of\n"
        "this program, where the application looks for it. Every command but create\n"
        "opens it the way the application does and refuses a file the application\n"
        "holds open.\n"
        "\n"
        "create  Creates a new, empty patient database with the tables Biodata and\n"
        "        BMIHistory, encrypted with the application's password, readable and\n"
        "        writable by its owner only (mode 0600). An existing file is never\n"
        "        overwritten.\n"
        "check   Runs the engine's integrity check and checks that both tables and\n"
        "        their columns exist, that ids run 1, 2, 3 ... without gaps, that\n"
        "        every measurement names a registered patient and that heights and\n"
        "        weights are numbers above zero. Prints a report.\n"
        "export  Writes DIR/patients.csv and DIR/history.csv (RFC 4180, UTF-8): one\n"
        "        row per patient, and one per measurement with the patient's name,\n"
        "        the date as yyyy-mm-dd and as stored, height, weight and BMI.\n"
        "        Existing files are replaced only with --force.\n"
        "backup  Writes a consistent copy, encrypted with the same password, to DEST\n"
        "        through a temporary file, so a failed backup leaves nothing behind.\n"
        "        An existing DEST is never overwritten; a folder as DEST receives\n"
        "        Merivex.mdb.\n"
        "restore Puts a copy of BACKUP in the place of PATH, once the copy opens with\n"
        "        the application's password and passes check. The file that was\n"
        "        there is kept in the same folder under a dated name, with its log\n"
        "        folded in (or beside it as NAME-wal when it does not read as sound);\n"
        "        its log is never paired with the restored copy. Mode 0600.\n"
        "import  Adds the measurements of a history file to patient ID, all in one\n"
        "        transaction or none: openScale 2.x and 3.x CSV, trale, wger, GNOME\n"
        "        Health, Google Fit Takeout \"Daily Summaries.csv\" or this tool's own\n"
        "        history.csv (only IdPatient ID's rows with --source-patient ID), told\n"
        "        apart by their first line. --unit lb reads pounds where the format\n"
        "        does not say kg; files without heights take --height, else the\n"
        "        patient's last stored height. Rows without a weight, unreadable,\n"
        "        dated outside the years dd/mm/yy holds or equal to a stored one\n"
        "        (same date and weight) are skipped and listed. --dry-run only\n"
        "        reports.\n"
        "report  Writes an A4 PDF of patient ID's measurements (DATE is yyyy-mm-dd):\n"
        "        name, sex, birth date, age, each measurement with its BMI and WHO\n"
        "        adult class, the trend chart, the first and last values. OUT.pdf\n"
        "        is never overwritten; mode 0600.\n"
        "\n"
        "Exit status:\n"
        "  0  success; for check, no problem found\n"
        "  1  the command failed, or check found problems\n"
        "  2  wrong arguments\n"
        "  3  the database is in use (the application has it open)");
}

int create(const QStringList &args)
{
    if (args.size() > 1)
        return usageError(QStringLiteral("create takes at most one PATH."));
    const QString path = args.isEmpty() ? databasePath() : args.first();
    return run(path, QStringLiteral("%1 not created").arg(native(path)), [&] {
        createPatientDatabase(path);
        print(stdout, QStringLiteral("Created %1: empty tables Biodata and BMIHistory, "
                                     "encrypted, mode 0600.")
                          .arg(native(path)));
        return int(Success);
    });
}

int check(const QStringList &args)
{
    if (args.size() > 1)
        return usageError(QStringLiteral("check takes at most one PATH."));
    const QString path = args.isEmpty() ? databasePath() : args.first();
    return run(path, QStringLiteral("%1 cannot be checked").arg(native(path)), [&] {
        const CheckReport report = checkPatientDatabase(path);
        print(stdout,
              QStringLiteral("Checked %1: %2, %3.")
                  .arg(native(path), patients(report.patients), measurements(report.measurements)));
        if (report.ok()) {
            print(stdout, QStringLiteral("No problems found."));
            return int(Success);
        }
        for (const QString &problem : report.problems)
            print(stdout, QStringLiteral("  ") + problem);
        print(stdout, QStringLiteral("Problems found: the file needs repair."));
        return int(Failed);
    });
}

int exportCsv(const QStringList &args)
{
    QStringList rest;
    QString dir;
    bool force = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--force")) {
            force = true;
        } else if (args[i] == QLatin1String("--csv")) {
            if (++i == args.size())
                return usageError(QStringLiteral("--csv needs a folder."));
            dir = args[i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option %1.").arg(args[i]));
        } else {
            rest.append(args[i]);
        }
    }
    if (dir.isEmpty())
        return usageError(QStringLiteral("export needs --csv DIR."));
    if (rest.size() > 1)
        return usageError(QStringLiteral("export takes at most one PATH."));
    const QString path = rest.isEmpty() ? databasePath() : rest.first();
    return run(path, QStringLiteral("%1 not exported").arg(native(path)), [&] {
        const ExportCounts counts = merivex::exportCsv(path, dir, force);
        print(stdout, QStringLiteral("Exported %1: %2 to %3, %4 to %5.")
                          .arg(native(path), patients(counts.patients),
                               native(QDir(dir).filePath(QStringLiteral("patients.csv"))),
                               measurements(counts.measurements),
                               native(QDir(dir).filePath(QStringLiteral("history.csv")))));
        return int(Success);
    });
}

int backup(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2)
        return usageError(QStringLiteral("backup takes [PATH] DEST."));
    const QString path = args.size() == 2 ? args.first() : databasePath();
    QString dest = args.last();
    if (QFileInfo(dest).isDir())
        dest = QDir(dest).filePath(QStringLiteral("Merivex.mdb"));
    return run(path, QStringLiteral("%1 not backed up").arg(native(path)), [&] {
        backupPatientDatabase(path, dest);
        print(stdout, QStringLiteral("Backed up %1 to %2, encrypted with the same password.")
                          .arg(native(path), native(dest)));
        return int(Success);
    });
}

int restore(const QStringList &args)
{
    if (args.isEmpty() || args.size() > 2)
        return usageError(QStringLiteral("restore takes BACKUP [PATH]."));
    const QString backup = args.first();
    const QString path = args.size() == 2 ? args.last() : databasePath();
    if (QFileInfo(backup).canonicalFilePath() == QFileInfo(path).canonicalFilePath() &&
        QFileInfo::exists(path))
        return usageError(QStringLiteral("BACKUP and PATH are the same file."));
    return run(path, QStringLiteral("%1 not restored").arg(native(path)), [&] {
        const Restored restored = restorePatientDatabase(backup, path);
        if (restored.aside.isEmpty()) {
            print(stdout, QStringLiteral("There was no file at %1.").arg(native(path)));
        } else {
            QString kept =
                QStringLiteral("The previous file is kept as %1").arg(native(restored.aside));
            if (restored.asideLog)
                kept += QStringLiteral(" with its log %1")
                            .arg(native(restored.aside + QStringLiteral("-wal")));
            if (!restored.unreadable.isEmpty())
                kept +=
                    (restored.asideLog ? QStringLiteral(", as they were: they do not read as sound")
                                       : QStringLiteral(", as it was: it does not read as sound")) +
                    QStringLiteral(" (%1)").arg(restored.unreadable);
            else if (restored.asideLog)
                kept += QStringLiteral(", as they were: the log could not be folded in");
            print(stdout, kept + QLatin1Char('.'));
        }
        // What the application will find there.
        const CheckReport report = checkPatientDatabase(path);
        print(stdout, QStringLiteral("Restored %1 from %2: %3, %4.")
                          .arg(native(path), native(backup), patients(report.patients),
                               measurements(report.measurements)));
        return int(report.ok() ? Success : Failed);
    });
}

} // namespace merivex::tool
