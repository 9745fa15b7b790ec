// A second process for the crash tests: appends measurements to the file
// given, the way a save does, until it is killed. Prints the connection's
// journal settings ("settings <mode> <synchronous>"), then every id once its
// Update has returned, so the test knows which rows were reported stored.
#include "patientfile.h"

#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    try {
        auto db = testfiles::open(QString::fromLocal8Bit(argv[1]));
        std::printf(
            "settings %s %d\n",
            db->value(QStringLiteral("PRAGMA journal_mode")).toString().toUtf8().constData(),
            db->value(QStringLiteral("PRAGMA synchronous")).toInt());
        std::fflush(stdout);
        for (;;) {
            const qint16 id = testfiles::appendMeasurement(
                *db, 1, QStringLiteral("07/12/26"), QStringLiteral("65"), QStringLiteral("1.7"));
            std::printf("%d\n", int(id));
            std::fflush(stdout);
        }
    } catch (const merivex::Error &error) {
        std::printf("error %d\n", error.number());
        std::fflush(stdout);
        return 1;
    }
}
