// merivex-db: the companion tool that creates, checks, exports, backs up and restores
// the patient file. This file only picks the subcommand.
#include "tools/commands.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    using namespace merivex::tool;
    // The report draws, and so makes an application object of its own.
    if (argc > 1 && std::strcmp(argv[1], "report") == 0)
        return report(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::puts(usage().toLocal8Bit().constData());
        return Success;
    }
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("create"))
        return create(rest);
    if (command == QLatin1String("check"))
        return check(rest);
    if (command == QLatin1String("export"))
        return exportCsv(rest);
    if (command == QLatin1String("backup"))
        return backup(rest);
    if (command == QLatin1String("restore"))
        return restore(rest);
    if (command == QLatin1String("import"))
        return importHistory(rest);
    std::fprintf(stderr, "%s\n", usage().toLocal8Bit().constData());
    return Usage;
}
