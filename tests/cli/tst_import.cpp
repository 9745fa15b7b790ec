// merivex-db import: each format read from a sample written from its
// description, pounds, skipped rows with their lines, a second import that
// adds nothing, the 16-bit limit refused whole, and export then import into
// a new file giving the same history.csv.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace merivex;
using dbtest::Run;
using dbtest::runTool;

namespace
{

const QString stored = QStringLiteral("SELECT Date, Weight, Height FROM BMIHistory ORDER BY IdBMI");

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString day(int year, int month, int d)
{
    return formatDate(QDate(year, month, d), QStringLiteral("dd/mm/yy"));
}

// A file with patient 1, who has one measurement of height 1.6 when given.
QString patientFile(const QTemporaryDir &dir, bool measured)
{
    const QString path = testfiles::createDatabase(dir);
    auto db = testfiles::open(path);
    testfiles::appendPatient(*db, QStringLiteral("Ana"));
    if (measured)
        testfiles::appendMeasurement(*db, 1, day(2020, 1, 1), 60.0, 1.6);
    return path;
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void readsEachFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<QStringList>>("rows"); // date, weight, height as stored
        QTest::addColumn<QStringList>("skipped");     // report lines

        const int outside = dates::currentYear() - 81;
        const QString h = QStringLiteral("1.7"), p = QStringLiteral("1.6");
        QTest::newRow("openScale 2")
            << "openscale.csv"
            << QByteArray("\"biceps\",\"bone\",\"caliper1\",\"caliper2\",\"caliper3\","
                          "\"calories\",\"chest\",\"comment\",\"dateTime\",\"fat\",\"hip\","
                          "\"lbm\",\"muscle\",\"neck\",\"thigh\",\"visceralFat\",\"waist\","
                          "\"water\",\"weight\"\n"
                          "\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"a, b\","
                          "\"2024-03-01 08:00\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\","
                          "\"0.0\",\"0.0\",\"0.0\",\"75.5\"\n"
                          "\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"\","
                          "\"02.03.2024 08:00\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\","
                          "\"0.0\",\"0.0\",\"0.0\",\"75.1\"\n"
                          "\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"\","
                          "\"2024-03-03 08:00\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\","
                          "\"0.0\",\"0.0\",\"0.0\",\"0.0\"\n")
                   .append(
                       QStringLiteral("\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\","
                                      "\"\",\"%1-05-05 08:00\",\"0.0\",\"0.0\",\"0.0\","
                                      "\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"0.0\",\"70\"\n")
                           .arg(outside)
                           .toUtf8())
            << QStringList{"--height", "1.70"} << "openScale 2.x CSV"
            << QList<QStringList>{{day(2024, 3, 1), "75.5", h}, {day(2024, 3, 2), "75.1", h}}
            << QStringList{"1 without a weight: line 4", "1 dated outside", ": line 5"};
        QTest::newRow("openScale 3 in pounds, last stored height")
            << "os3.csv" << QByteArray("DATE,TIME,BICEPS,WEIGHT\n2024-05-01,08:00,0,110.5\n")
            << QStringList{"--unit", "lb"} << "openScale 3.x CSV"
            << QList<QStringList>{{day(2024, 5, 1),
                                   QString::number(std::round(110.5 * 45.359237) / 100), p}}
            << QStringList{"Skipped 0 rows."};
        QTest::newRow("trale") << "trale.txt"
                               << QByteArray(
                                      "# This file was created with trale.\n#Date weight[kg]\n"
                                      "2024-03-01T08:00:00.000 75.5000000000\nnot a row\n")
                               << QStringList{} << "trale"
                               << QList<QStringList>{{day(2024, 3, 1), "75.5", p}}
                               << QStringList{"1 unreadable: line 4"};
        QTest::newRow("wger") << "wger.csv" << QByteArray("Date,Weight\r\n2024-06-01,80\r\n\r\n")
                              << QStringList{} << "wger CSV"
                              << QList<QStringList>{{day(2024, 6, 1), "80", p}} << QStringList{};
        QTest::newRow("wger in pounds, one too light to keep, one row twice")
            << "w.csv"
            << QByteArray("Date,Weight\n2024-06-01,0.01\n2024-06-02,150\n2024-06-02,150\n")
            << QStringList{"--unit", "lb"} << "wger CSV"
            << QList<QStringList>{{day(2024, 6, 2),
                                   QString::number(std::round(150 * 45.359237) / 100), p}}
            << QStringList{"1 weighing 0 kg once converted and rounded to 10 g: line 2",
                           "1 equal to an earlier row of the file (same date and weight): line 4"};
        QTest::newRow("GNOME Health")
            << "health.csv" << QByteArray("date,weight\n2024-07-01T07:00:00+02:00,47.5\n")
            << QStringList{} << "GNOME Health CSV"
            << QList<QStringList>{{day(2024, 7, 1), "47.5", p}} << QStringList{};
        QTest::newRow("Google Fit")
            << "Daily Summaries.csv"
            << QByteArray("Date,Start time,Average weight (kg),Max weight (kg)\n"
                          "2024-08-01,00:00,48.25,48.5\n2024-08-02,00:00,,\n")
            << QStringList{} << "Google Fit Takeout Daily Summaries"
            << QList<QStringList>{{day(2024, 8, 1), "48.25", p}}
            << QStringList{"1 without a weight: line 3"};
    }

    // Imported twice: the second adds nothing and names every row stored.
    void readsEachFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, options);
        QFETCH(QString, format);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QStringList, skipped);
        QTemporaryDir dir;
        const bool heightGiven = options.contains(QStringLiteral("--height"));
        const QString path = patientFile(dir, !heightGiven);
        const QStringList args =
            QStringList{"import", write(dir, name, text), path, "--patient", "1"} + options;
        const Run run = runTool(args);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral(" as ") + format + QLatin1Char(',')),
                 qPrintable(run.out));
        for (const QString &line : skipped)
            QVERIFY2(run.out.contains(line), qPrintable(run.out));
        QList<QStringList> expected = rows;
        if (!heightGiven)
            expected.prepend({day(2020, 1, 1), "60", "1.6"});
        QCOMPARE(testfiles::readAll(*testfiles::open(path), stored), expected);

        const Run again = runTool(args);
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.out.contains(QStringLiteral("Imported 0 measurements")),
                 qPrintable(again.out));
        QVERIFY2(again.out.contains(QStringLiteral("%1 equal to a stored").arg(rows.size())),
                 qPrintable(again.out));
        QCOMPARE(testfiles::readAll(*testfiles::open(path), stored), expected);
    }

    // What is refused stores nothing: no height anywhere, a format nobody
    // wrote, pounds where the format says kg, a dry run, and past 32767.
    void refusesWhole()
    {
        QTemporaryDir dir;
        const QString path = patientFile(dir, false);
        const QString wger = write(dir, "w.csv", "Date,Weight\n2024-06-01,80\n2024-06-02,81\n");
        const QString google = write(dir, "g.csv", "Date,Average weight (kg)\n2024-06-01,80\n");
        const QString other = write(dir, "o.csv", "when,kilos\n2024-06-01,80\n");
        // Cut in the last line, 70.5 reads as 7; an unclosed quote swallows the rest.
        const QString cut = write(dir, "c.csv", "Date,Weight\n2024-06-01,80\n2024-06-02,7");
        const QString quote =
            write(dir, "q.csv", "Date,Weight\n2024-06-01,80\n\"2024-06-02,70.5\n2024-06-03,71\n");
        const QList<std::pair<QStringList, int>> cases = {
            {{"import", wger, path, "--patient", "1"}, 1},
            {{"import", other, path, "--patient", "1", "--height", "1.7"}, 1},
            {{"import", google, path, "--patient", "1", "--unit", "lb", "--height", "1.7"}, 2},
            {{"import", wger, path, "--patient", "1", "--height", "172"}, 2},
            {{"import", wger, path, "--patient", "2", "--height", "1.7"}, 1},
            {{"import", wger, path, "--patient", "1", "--height", "1.7", "--dry-run"}, 0},
            {{"import", cut, path, "--patient", "1", "--height", "1.7"}, 1},
            {{"import", quote, path, "--patient", "1", "--height", "1.7"}, 1},
        };
        for (const auto &[args, status] : cases) {
            const Run run = runTool(args);
            QVERIFY2(run.exitCode == status, qPrintable(args.join(' ') + '\n' + run.err));
            QVERIFY(testfiles::readAll(*testfiles::open(path), stored).isEmpty());
        }
        QVERIFY(runTool({"import", wger, path, "--patient", "1"}).err.contains("--height"));
        QVERIFY(runTool({"import", other, path, "--patient", "1"}).err.contains("when,kilos"));
        QVERIFY(runTool({"import", cut, path, "--patient", "1", "--height", "1.7"})
                    .err.contains("line 3, its last, ends without a line break"));
        QVERIFY(runTool({"import", quote, path, "--patient", "1", "--height", "1.7"})
                    .err.contains("the quote opened in line 3 is never closed"));

        // Two rows after IdBMI 32766 would pass the limit; one reaches it.
        testfiles::insertRows(*testfiles::open(path), Sql::measurementTable(),
                              {{{"IdBMI", 32766},
                                {"IdPt", 1},
                                {"Date", day(2020, 1, 1)},
                                {"Weight", 60.0},
                                {"Height", 1.6}}});
        const Run over = runTool({"import", wger, path, "--patient", "1"});
        QCOMPARE(over.exitCode, 1);
        QVERIFY2(over.err.contains("Overflow"), qPrintable(over.err));
        QCOMPARE(testfiles::readAll(*testfiles::open(path), stored).size(), 1);
        const QString one = write(dir, "one.csv", "Date,Weight\n2024-06-01,80\n");
        QCOMPARE(runTool({"import", one, path, "--patient", "1"}).exitCode, 0);
        QCOMPARE(testfiles::readAll(*testfiles::open(path), "SELECT max(IdBMI) FROM BMIHistory"),
                 (QList<QStringList>{{"32767"}}));
    }

    // Export, import into a new file with the same patients, export again:
    // the same bytes. --source-patient keeps the other patient's rows out.
    void roundTripsItsOwnExport()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath("first.mdb");
        const QStringList names = {QStringLiteral("O'Brien, \"Ann\""), QStringLiteral("Other")};
        createPatientDatabase(first);
        {
            auto db = testfiles::open(first);
            for (const QString &name : names)
                testfiles::appendPatient(*db, name);
            testfiles::appendMeasurement(*db, 1, day(2001, 2, 3), 70.25, 1.72);
            testfiles::appendMeasurement(*db, 1, day(1999, 12, 31), 70.25, 1.72);
            testfiles::appendMeasurement(*db, 1, day(2040, 1, 1), 68.0, 1.725);
            testfiles::appendMeasurement(*db, 2, day(2002, 2, 3), 90.0, 1.8);
        }
        QCOMPARE(runTool({"export", first, "--csv", dir.filePath("a")}).exitCode, 0);
        const QString second = dir.filePath("second.mdb");
        const QString history = dir.filePath("a/history.csv");
        createPatientDatabase(second);
        for (const QString &name : names)
            testfiles::appendPatient(*testfiles::open(second), name);
        const Run run =
            runTool({"import", history, second, "--patient", "1", "--source-patient", "1"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains("1 of another IdPatient than --source-patient: line 5"),
                 qPrintable(run.out));
        QCOMPARE(runTool({"import", history, second, "--patient", "2", "--source-patient", "2"})
                     .exitCode,
                 0);
        QCOMPARE(runTool({"export", second, "--csv", dir.filePath("b")}).exitCode, 0);
        QCOMPARE(dbtest::hashOf(dir.filePath("b/history.csv")), dbtest::hashOf(history));
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
