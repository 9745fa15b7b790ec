// WHO BMI-for-age z-scores against WHO's own figures: cases from the survey
// that ships with WHO's anthroplus package (data-raw/survey_who2007_z.csv:
// dates of birth and visit, weight, height and WHO's zbfa), and, for 2 to 5
// years, cases worked by hand from the 2006 table rows named.
#include "db/bmi_for_age.h"

#include <QTest>

using namespace merivex::who;

class TestBmiForAge : public QObject
{
    Q_OBJECT

private slots:
    void zScores_data()
    {
        QTest::addColumn<int>("sex");
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("kg");
        QTest::addColumn<double>("metres");
        QTest::addColumn<QVariant>("z"); // none: invalid
        QTest::addColumn<QString>("text");
        const QVariant none;
        // WHO 2007, WHO's own zbfa (survey id in the name).
        QTest::newRow("230 boy below -3")
            << 1 << 4387 << 27.7 << 1.452 << QVariant(-3.24) << "severe thinness (z -3.24)";
        QTest::newRow("798 boy below -3")
            << 1 << 5299 << 42.2 << 1.717 << QVariant(-3.14) << "severe thinness (z -3.14)";
        QTest::newRow("262 girl above +3")
            << 2 << 6320 << 169.7 << 1.717 << QVariant(6.07) << "obesity (z +6.07)";
        QTest::newRow("124 girl above +3")
            << 2 << 4293 << 98.8 << 1.633 << QVariant(3.81) << "obesity (z +3.81)";
        QTest::newRow("640 boy 65 months")
            << 1 << 1978 << 41.6 << 1.216 << QVariant(6.92) << "obesity (z +6.92)";
        QTest::newRow("644 girl 61.6 months")
            << 2 << 1876 << 18.6 << 1.071 << QVariant(0.62) << "normal (z +0.62)";
        QTest::newRow("411 girl 227.8 months")
            << 2 << 6933 << 66.4 << 1.674 << QVariant(0.67) << "normal (z +0.67)";
        QTest::newRow("609 boy 227.9 months")
            << 1 << 6936 << 106.3 << 1.863 << QVariant(2.18) << "obesity (z +2.18)";
        QTest::newRow("617 boy 227.7 months")
            << 1 << 6930 << 55.1 << 1.734 << QVariant(-1.6) << "normal (z -1.60)";
        // WHO 2006 by day, worked by hand. Boys day 731 (24.02 months), the
        // first height row: L -0.6187, M 16.0189, S 0.07785.
        QTest::newRow("boy day 731 at M")
            << 1 << 731 << 16.0189 << 1.0 << QVariant(0.0) << "normal (z +0.00)";
        QTest::newRow("boy day 731")
            << 1 << 731 << 20.5 << 1.0 << QVariant(2.94) << "overweight (z +2.94)";
        // Girls day 1000: L -0.5684, M 15.4604, S 0.08465; below -3 adjusted.
        QTest::newRow("girl day 1000 below -3")
            << 2 << 1000 << 12.0 << 1.0 << QVariant(-3.2) << "severely wasted (z -3.20)";
        // Boys day 1826, the last (59.99 months): L -0.6889, M 15.1917, S 0.08699.
        QTest::newRow("boy day 1826 above +3")
            << 1 << 1826 << 22.0 << 1.0 << QVariant(3.89) << "obesity (z +3.89)";
        QTest::newRow("girl day 1826")
            << 2 << 1826 << 15.2 << 1.0 << QVariant(-0.05) << "normal (z -0.05)";
        // Day 1827 is 60.02 months: the 2007 reference, months 60 and 61.
        QTest::newRow("boy day 1827")
            << 1 << 1827 << 15.26 << 1.0 << QVariant(-0.01) << "normal (z -0.01)";
        // Outside: 23.98 and 228.01 months.
        QTest::newRow("day 730") << 1 << 730 << 16.0 << 1.0 << none
                                 << "under 2: BMI-for-age is not used; see weight-for-length";
        QTest::newRow("day 6940") << 2 << 6940 << 20.0 << 1.0 << none
                                  << "age 19: past the WHO 2007 reference; adult classes from 20";
    }

    void zScores()
    {
        QFETCH(int, sex);
        QFETCH(int, days);
        QFETCH(double, kg);
        QFETCH(double, metres);
        QFETCH(QVariant, z);
        QFETCH(QString, text);
        const Sex s = sex == 1 ? Sex::Male : Sex::Female;
        const double bmi = kg / (metres * metres);
        const std::optional<double> got = bmiForAgeZ(s, days, bmi);
        QCOMPARE(got.has_value(), z.isValid());
        if (got)
            QCOMPARE(*got, z.toDouble());
        const QDate birth(2001, 3, 1);
        QCOMPARE(childClass(s, birth, birth.addDays(days), bmi).text, text);
    }

    // The bands meet where WHO's software draws them, and the adult classes
    // start on the 20th birthday.
    void references()
    {
        const QDate birth(2004, 2, 29);
        QCOMPARE(referenceAt(birth, birth.addDays(730)), Reference::UnderTwo);
        QCOMPARE(referenceAt(birth, birth.addDays(731)), Reference::Standards);
        QCOMPARE(referenceAt(birth, birth.addDays(1826)), Reference::Standards);
        QCOMPARE(referenceAt(birth, birth.addDays(1827)), Reference::Growth);
        QCOMPARE(referenceAt(birth, birth.addDays(6939)), Reference::Growth);
        QCOMPARE(referenceAt(birth, birth.addDays(6940)), Reference::Nineteen);
        QCOMPARE(referenceAt(birth, QDate(2024, 2, 28)), Reference::Nineteen);
        QCOMPARE(referenceAt(birth, QDate(2024, 2, 29)), Reference::Adult);
        QCOMPARE(referenceAt(birth, birth.addDays(-1)), Reference::Unknown);
        QCOMPARE(childClass(Sex::Unknown, birth, birth.addYears(8), 16).text,
                 QStringLiteral("no class: sex unknown"));
    }
};

QTEST_APPLESS_MAIN(TestBmiForAge)
#include "tst_bmi_for_age.moc"
