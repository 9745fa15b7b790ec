// Times merivex-db import and report, each run as the user runs it (a process
// of its own), on the largest history a file can hold: 32,767 measurements.
#include "db/database_file.h"
#include "patientfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int fullTable = 32767;
constexpr int samples = 3;

// Milliseconds the tool took; fails the benchmark when it fails.
double timed(const QStringList &args, QString *out)
{
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(QStringLiteral(MERIVEX_DB_TOOL), args);
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        std::fprintf(stderr, "bench_tool: %s\n", tool.readAllStandardError().constData());
        std::exit(1);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *out = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
    return ms;
}

void row(const char *what, std::vector<double> times, const char *target)
{
    std::sort(times.begin(), times.end());
    std::printf("%-40s %9.0f %9.0f  %s\n", what, times[times.size() / 2], times.front(), target);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    merivex::createPatientDatabase(empty);
    testfiles::appendPatient(*testfiles::open(empty), QStringLiteral("Patient 1"));

    // One weighing a day from 1950 on, all within the years dd/mm/yy holds.
    QByteArray csv = "Date,Weight\n";
    const QDate first(1950, 1, 1);
    for (int i = 0; i < fullTable; ++i)
        csv += first.addDays(i).toString(Qt::ISODate).toLatin1() + ',' +
               QByteArray::number(50 + (i % 400) / 10.0) + '\n';
    const QString history = dir.filePath(QStringLiteral("wger.csv"));
    QFile file(history);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size())
        return 1;
    file.close();

    std::vector<double> imports, reports;
    QString importOut, reportOut;
    QString full;
    for (int i = 0; i < samples; ++i) {
        full = dir.filePath(QStringLiteral("full%1.mdb").arg(i));
        QFile::copy(empty, full);
        imports.push_back(
            timed({QStringLiteral("import"), history, full, QStringLiteral("--patient"),
                   QStringLiteral("1"), QStringLiteral("--height"), QStringLiteral("1.7")},
                  &importOut));
    }
    for (int i = 0; i < samples; ++i)
        reports.push_back(
            timed({QStringLiteral("report"), full, QStringLiteral("--patient"), QStringLiteral("1"),
                   dir.filePath(QStringLiteral("report%1.pdf").arg(i))},
                  &reportOut));
    std::printf("%s\n%s\n\n", qPrintable(importOut), qPrintable(reportOut));
    std::printf("%-40s %9s %9s\n", "merivex-db, whole process", "median ms", "min ms");
    row("import of 32,767 rows (wger CSV)", imports, "target <= 2000 ms");
    row("report of 32,767 measurements", reports, "target <= 3000 ms");
    return 0;
}
