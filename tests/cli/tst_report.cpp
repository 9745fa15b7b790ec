// merivex-db report, read back with poppler's pdftotext and pdffonts: the
// patient in four scripts, the period, every row with its BMI and WHO class
// (of the BMI as printed), WHO's BMI-for-age class for children, the
// change, the fonts embedded, and a file never replaced.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using dbtest::Run;
using dbtest::runTool;

namespace
{

QString poppler(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    // Arabic comes back in its presentation forms, right-to-left runs in
    // direction marks.
    QString text = QString::fromUtf8(process.readAllStandardOutput())
                       .normalized(QString::NormalizationForm_KC);
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Format; });
    return text;
}

struct Row {
    QDate date;
    double weight; // at height 1, the BMI
    QString whoClass;
};

QString dayText(const QDate &d)
{
    return formatDate(d, QStringLiteral("dd/mm/yyyy"));
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void printsPatientRowsClassesAndFonts()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        const QString name = QStringLiteral("Ελένη خالد דוד 山田");
        const QDate birth(1970, 1, 5), child = QDate::currentDate().addYears(-15);
        const QDate start(2024, 1, 1);
        // Each class; 24.96 prints as 25.0, and 24.95, stored as 24.9499...,
        // as 24.9: each is classed as printed, as are the others just below
        // a bound.
        QList<Row> rows;
        const std::pair<double, const char *> classed[] = {{15.9, "severe thinness"},
                                                           {15.95, "severe thinness"},
                                                           {16.5, "moderate thinness"},
                                                           {16.95, "moderate thinness"},
                                                           {18.4, "mild thinness"},
                                                           {18.45, "mild thinness"},
                                                           {22, "normal"},
                                                           {24.95, "normal"},
                                                           {24.96, "pre-obese"},
                                                           {29.95, "pre-obese"},
                                                           {32, "obese class I"},
                                                           {37, "obese class II"},
                                                           {41, "obese class III"}};
        for (const auto &[bmi, whoClass] : classed)
            rows.append({start.addDays(rows.size()), bmi, QLatin1String(whoClass)});
        {
            auto db = testfiles::open(path);
            testfiles::insertRows(
                *db, Sql::patientTable(),
                {{{"IdPatient", 1}, {"Name", name}, {"Sex", "Male"}, {"BirthDate", dayText(birth)}},
                 {{"IdPatient", 2},
                  {"Name", "Ana"},
                  {"Sex", "Female"},
                  {"BirthDate", dayText(child)}}});
            const QString yy = QStringLiteral("dd/mm/yy");
            testfiles::appendMeasurement(*db, 1, formatDate(start.addDays(-1), yy), 50.0, 1.0);
            for (const Row &row : rows) {
                testfiles::appendMeasurement(*db, 1, formatDate(row.date, yy), row.weight, 1.0);
                testfiles::appendMeasurement(*db, 2, formatDate(row.date, yy), row.weight, 1.0);
            }
        }
        const QString out = dir.filePath("report.pdf");
        const Run run = runTool(
            {"report", path, "--patient", "1", "--from", "2024-01-01", "--to", "2024-12-31", out});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QCOMPARE(QFile::permissions(out),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        const QString text = poppler("pdftotext", {"-layout", out, "-"});
        for (const QString &word : name.split(' '))
            QVERIFY2(text.contains(word), qPrintable(word));
        for (const QString &line :
             {QStringLiteral("Sex: Male"), QStringLiteral("Birth date: ") + dayText(birth),
              QStringLiteral("Period: %1 to %2, %3 measurements")
                  .arg(dayText(QDate(2024, 1, 1)), dayText(QDate(2024, 12, 31)))
                  .arg(rows.size()),
              QStringLiteral("Change: weight +%1 kg, BMI +%1")
                  .arg(rows.last().weight - rows.first().weight, 0, 'f', 1)})
            QVERIFY2(text.contains(line), qPrintable(line + '\n' + text));
        QVERIFY(!text.contains(dayText(start.addDays(-1)))); // before --from
        QStringList lines = text.split('\n');
        for (const Row &row : rows) {
            const QRegularExpression pattern(
                QStringLiteral("^%1\\s+1\\s+%2\\s+%3\\s+%4$")
                    .arg(QRegularExpression::escape(dayText(row.date)), QString::number(row.weight),
                         QString::number(row.weight, 'f', 1), row.whoClass));
            QVERIFY2(lines.indexOf(pattern) >= 0, qPrintable(pattern.pattern()));
        }
        // The advice of the day is the window's, not the report's.
        QVERIFY(!text.contains("weight scale") && !text.contains("overweight"));

        const QStringList fonts = poppler("pdffonts", {out}).split('\n').mid(2);
        QVERIFY(fonts.join('\n').contains("DejaVuSans"));
        QVERIFY(fonts.join('\n').contains("WenQuanYi"));
        for (const QString &font : fonts) {
            if (!font.trimmed().isEmpty())
                QVERIFY2(font.contains(QRegularExpression(" yes +(yes|no) +yes ")),
                         qPrintable(font));
        }

        // A name of 10,000 characters is shortened and leaves the page
        // number whole; a weight of 1e308 kg and a height typed in
        // centimetres are printed as what no person measures.
        {
            auto db = testfiles::open(path);
            testfiles::insertRows(*db, Sql::patientTable(),
                                  {{{"IdPatient", 3},
                                    {"Name", QStringLiteral("Wide").repeated(2500)},
                                    {"BirthDate", dayText(birth)}}});
            testfiles::appendMeasurement(*db, 3, QStringLiteral("01/01/24"), 1e308, 1.0);
            testfiles::appendMeasurement(*db, 3, QStringLiteral("02/01/24"), 70.0, 172.0);
        }
        const QString wide = dir.filePath("wide.pdf");
        QCOMPARE(runTool({"report", path, "--patient", "3", wide}).exitCode, 0);
        const QString wideText = poppler("pdftotext", {"-layout", wide, "-"});
        QVERIFY2(wideText.count("Wide") < 500, qPrintable(wideText.left(2000)));
        lines = wideText.split('\n');
        QVERIFY(lines.indexOf(
                    QRegularExpression(QStringLiteral("Wide.*\\.\\.\\. +Page 1 of 1$"))) >= 0);
        QVERIFY(lines.indexOf(QRegularExpression(
                    QStringLiteral("^01/01/2024 +1 +1e\\+308 +> 999 +no class: no "
                                   "person's height or weight$"))) >= 0);
        QVERIFY(lines.indexOf(QRegularExpression(
                    QStringLiteral("^02/01/2024 +172 +70 +0.0 +no class: no person's height "
                                   "or weight$"))) >= 0);

        // Never replaced.
        const QByteArray before = dbtest::hashOf(out);
        QCOMPARE(runTool({"report", path, "--patient", "2", out}).exitCode, 1);
        QCOMPARE(dbtest::hashOf(out), before);
        // A child's rows get WHO's BMI-for-age class with the z-score.
        const QString young = dir.filePath("young.pdf");
        QCOMPARE(runTool({"report", path, "--patient", "2", young}).exitCode, 0);
        const QString youngText = poppler("pdftotext", {"-layout", young, "-"});
        QVERIFY(youngText.contains("Classes: WHO 2007 growth reference, BMI-for-age (5-19 years)"));
        QCOMPARE(
            youngText.count(QRegularExpression(
                "(severe thinness|thinness|normal|overweight|obesity) \\(z [+-]\\d\\.\\d\\d\\)\n")),
            rows.size());

        // A boy at 14.5 years with WHO's own figure (its anthroplus survey,
        // id 798), at 3 and under 2.
        const QDate boy(2010, 1, 1);
        {
            auto db = testfiles::open(path);
            testfiles::insertRows(*db, Sql::patientTable(),
                                  {{{"IdPatient", 4},
                                    {"Name", "Budi"},
                                    {"Sex", "Male"},
                                    {"BirthDate", dayText(boy)}}});
            const QString yy = QStringLiteral("dd/mm/yy");
            testfiles::appendMeasurement(*db, 4, formatDate(boy.addDays(700), yy), 12.0, 0.85);
            testfiles::appendMeasurement(*db, 4, formatDate(boy.addDays(1100), yy), 14.0, 0.95);
            testfiles::appendMeasurement(*db, 4, formatDate(boy.addDays(5299), yy), 42.2, 1.717);
        }
        const QString boyPdf = dir.filePath("boy.pdf");
        QCOMPARE(runTool({"report", path, "--patient", "4", boyPdf}).exitCode, 0);
        const QString boyText = poppler("pdftotext", {"-layout", boyPdf, "-"});
        for (const QString &line :
             {QStringLiteral("under 2: BMI-for-age is not used; see weight-for-length"),
              QStringLiteral("normal (z -0.07)"), QStringLiteral("severe thinness (z -3.14)"),
              QStringLiteral("Classes: WHO Child Growth Standards 2006, BMI-for-age (2-5 "
                             "years); WHO 2007 growth reference")})
            QVERIFY2(boyText.contains(line), qPrintable(line + '\n' + boyText));
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
