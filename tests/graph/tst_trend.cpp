// The trend and the way ahead from hand-computed cases: gaps of days, the
// same day twice, falling, rising, flat, moving away, too few points, too
// far ahead.
#include "graph/trend.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace merivex::trend;

namespace
{
// Day d, IdBMI id, BMI (NaN: none); day -1 stands for a date that does not read.
struct Row {
    int day;
    int id;
    double bmi;
};
const QDate Start(2026, 1, 1);
constexpr double None = std::numeric_limits<double>::quiet_NaN();
} // namespace

class TestTrend : public QObject
{
    Q_OBJECT
private slots:
    void trendAndWayAhead_data()
    {
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QList<double>>("trend");
        QTest::addColumn<QString>("sentence");
        // 0.9^3 = 0.729; 0.9^7 = 0.4782969; 0.9^6 = 0.531441.
        QTest::newRow("a gap of 3 days; no BMI or no date has no trend")
            << QList<Row>{{0, 1, 30}, {2, 2, None}, {-1, 3, 25}, {3, 4, 27}}
            << QList<double>{30, None, None, 27 + 3 * 0.729} << "Trend BMI 29.2";
        QTest::newRow("the same day twice, by IdBMI, counts one day")
            << QList<Row>{{0, 2, 24}, {0, 1, 22}} << QList<double>{24 - 2 * 0.9, 22}
            << "Trend BMI 22.2; within 20–25";
        // Slope (26.4782969 - 27) / 7 a day: 25 after 19.83 days, so day 7 + 20.
        QTest::newRow("falling above 25")
            << QList<Row>{{0, 1, 27}, {7, 2, 26}} << QList<double>{27, 26.4782969}
            << "Trend BMI 26.5, falling 0.52 a week; at this trend BMI 25 around 28/01/2026";
        // 20 after 33.25 days: day 7 + 34.
        QTest::newRow("rising below 20")
            << QList<Row>{{0, 1, 17}, {7, 2, 18}} << QList<double>{17, 17.5217031}
            << "Trend BMI 17.5, rising 0.52 a week; at this trend BMI 20 around 11/02/2026";
        QTest::newRow("flat") << QList<Row>{{0, 1, 27}, {7, 2, 27}} << QList<double>{27, 27}
                              << "Trend BMI 27.0, steady";
        QTest::newRow("moving away from the band")
            << QList<Row>{{0, 1, 26}, {7, 2, 27}} << QList<double>{26, 26.5217031}
            << "Trend BMI 26.5, rising 0.52 a week";
        QTest::newRow("6 days apart are too few for a slope")
            << QList<Row>{{0, 1, 27}, {6, 2, 26}} << QList<double>{27, 26.531441}
            << "Trend BMI 26.5";
        // Older than 28 days before the last: out of the slope (which would
        // fall 2.62 a week with it), in the trend. Slope (27.2929 - 27.6123)
        // over 7 days; 25 after 50.24 days: day 36 + 51.
        QTest::newRow("only the last 28 days give the slope")
            << QList<Row>{{0, 1, 40}, {29, 2, 27}, {36, 3, 27}}
            << QList<double>{40, 27 + 13 * std::pow(0.9, 29), 27 + 13 * std::pow(0.9, 36)}
            << "Trend BMI 27.3, falling 0.32 a week; at this trend BMI 25 around 29/03/2026";
        // 25 after some 1,350 days: past two years, no date.
        QTest::newRow("more than two years ahead")
            << QList<Row>{{0, 1, 35.1}, {7, 2, 35}} << QList<double>{35.1, 35.0478297}
            << "Trend BMI 35.0, falling 0.05 a week";
        QTest::newRow("nothing to smooth")
            << QList<Row>{{0, 1, None}} << QList<double>{None} << QString();
    }

    void trendAndWayAhead()
    {
        QFETCH(QList<Row>, rows);
        QFETCH(QList<double>, trend);
        QFETCH(QString, sentence);
        QList<Measurement> measurements;
        for (const Row &r : rows)
            measurements.append({r.day < 0 ? QDate() : Start.addDays(r.day), r.id, r.bmi});
        const QList<double> got = smoothed(measurements);
        QCOMPARE(got.size(), trend.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QCOMPARE(std::isnan(got[i]), std::isnan(trend[i]));
            if (!std::isnan(trend[i]))
                QVERIFY2(std::abs(got[i] - trend[i]) < 1e-6,
                         qPrintable(QString("%1: %2, not %3").arg(i).arg(got[i]).arg(trend[i])));
        }
        QCOMPARE(merivex::trend::sentence(wayAhead(measurements, got)), sentence);
    }
};

QTEST_APPLESS_MAIN(TestTrend)
#include "tst_trend.moc"
