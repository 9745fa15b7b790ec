// Times merivex-db import, report and fhir, each run as the user runs it (a
// process of its own), on the largest history a file can hold: 32,767
// measurements of a patient measured from the age of 5 on, so the report
// classes 5,000 of them by WHO's BMI-for-age. Given another merivex-db (an
// earlier build), runs both alternately and prints both.
#include "db/database_file.h"
#include "db/statements.h"
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
double timed(const QString &program, const QStringList &args, QString *out)
{
    QProcess tool;
    QElapsedTimer timer;
    timer.start();
    tool.start(program, args);
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
    std::printf("%-52s %9.0f %9.0f  %s\n", what, times[times.size() / 2], times.front(), target);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    struct Tool {
        const char *name;
        QString program;
        std::vector<double> imports, reports, fhirs;
        QString importOut, reportOut, fhirOut, full;
    };
    std::vector<Tool> tools{
        {"this build", QStringLiteral(MERIVEX_DB_TOOL), {}, {}, {}, {}, {}, {}, {}}};
    if (argc > 1)
        tools.push_back({"before", QString::fromLocal8Bit(argv[1]), {}, {}, {}, {}, {}, {}, {}});

    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
    merivex::createPatientDatabase(empty);
    testfiles::insertRows(*testfiles::open(empty), merivex::Sql::patientTable(),
                          {{{QStringLiteral("IdPatient"), 1},
                            {QStringLiteral("Name"), QStringLiteral("Patient 1")},
                            {QStringLiteral("Sex"), QStringLiteral("Female")},
                            {QStringLiteral("BirthDate"), QStringLiteral("01/01/1945")}}});

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

    int n = 0;
    for (int i = 0; i < samples; ++i) {
        for (Tool &t : tools) {
            t.full = dir.filePath(QStringLiteral("full%1.mdb").arg(n++));
            QFile::copy(empty, t.full);
            t.imports.push_back(
                timed(t.program,
                      {QStringLiteral("import"), history, t.full, QStringLiteral("--patient"),
                       QStringLiteral("1"), QStringLiteral("--height"), QStringLiteral("1.7")},
                      &t.importOut));
        }
    }
    for (int i = 0; i < samples; ++i) {
        for (Tool &t : tools) {
            t.reports.push_back(
                timed(t.program,
                      {QStringLiteral("report"), t.full, QStringLiteral("--patient"),
                       QStringLiteral("1"), dir.filePath(QStringLiteral("report%1.pdf").arg(n++))},
                      &t.reportOut));
        }
        // The earlier build has no fhir command.
        Tool &t = tools.front();
        t.fhirs.push_back(
            timed(t.program,
                  {QStringLiteral("fhir"), t.full, QStringLiteral("--patient"), QStringLiteral("1"),
                   dir.filePath(QStringLiteral("bundle%1.json").arg(n++))},
                  &t.fhirOut));
    }
    for (const Tool &t : tools)
        std::printf("%s (%s):\n%s\n%s\n%s\n\n", t.name, qPrintable(t.program),
                    qPrintable(t.importOut), qPrintable(t.reportOut), qPrintable(t.fhirOut));
    std::printf("%-52s %9s %9s\n", "merivex-db, whole process", "median ms", "min ms");
    for (const Tool &t : tools) {
        const auto label = [&t](const char *what) {
            return QStringLiteral("%1, %2").arg(QLatin1String(what), QLatin1String(t.name));
        };
        row(qPrintable(label("import of 32,767 rows (wger CSV)")), t.imports, "target <= 2000 ms");
        row(qPrintable(label("report of 32,767 measurements")), t.reports, "target <= 3000 ms");
        if (!t.fhirs.empty())
            row(qPrintable(label("fhir of 32,767 measurements")), t.fhirs, "target <= 3000 ms");
    }
    return 0;
}
