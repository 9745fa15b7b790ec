// merivex-db: creates the empty, encrypted patient file the application needs.
#include "db/database_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace
{

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

QString usage()
{
    return QStringLiteral(
        "Usage: merivex-db create [PATH]\n"
        "       merivex-db --help\n"
        "\n"
        "create  Creates a new, empty patient database with the tables Biodata and\n"
        "        BMIHistory, encrypted with the application's password, readable and\n"
        "        writable by its owner only (mode 0600). PATH defaults to Merivex.mdb\n"
        "        in the folder of this program, where the application looks for it.\n"
        "        An existing file is never overwritten.");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        print(stdout, usage());
        return 0;
    }
    if (args.isEmpty() || args.first() != QStringLiteral("create") || args.size() > 2) {
        print(stderr, usage());
        return 2;
    }
    const QString path = args.size() == 2 ? args.at(1) : merivex::databasePath();
    try {
        merivex::createPatientDatabase(path);
    } catch (const merivex::Error &error) {
        print(stderr, QStringLiteral("merivex-db: %1 not created: error %2: %3")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(error.number())
                          .arg(error.description()));
        return 1;
    }
    print(stdout, QStringLiteral("Created %1: empty tables Biodata and BMIHistory, encrypted, "
                                 "mode 0600.")
                      .arg(QDir::toNativeSeparators(path)));
    return 0;
}
