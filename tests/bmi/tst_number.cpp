// Which texts count as a height or weight, and the BMI's rounding.
#include "bmi/number.h"
#include "classic/typed_input.h"

#include <QLocale>
#include <QTest>

#include <cfenv>

using merivex::readNumber;

class TestNumber : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void numbers_data();
    void numbers();
    void notNumbers_data();
    void notNumbers();
    void localeSeparatorIsAcceptedBesideThePoint();
    void tiesGoToTheEvenNeighbour();
};

void TestNumber::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << "1.70" << 1.7;
    QTest::newRow("whole") << "65" << 65.0;
    QTest::newRow("zeros") << "00" << 0.0;
    QTest::newRow("zero point zero") << "0.0" << 0.0;
    QTest::newRow("negative") << "-50" << -50.0;
    QTest::newRow("plus") << "+2" << 2.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "2." << 2.0;
    QTest::newRow("blanks around") << " 1.7 " << 1.7;
}

void TestNumber::numbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> read = readNumber(text);
    QVERIFY(read.has_value());
    QCOMPARE(*read, value);
}

void TestNumber::notNumbers_data()
{
    QTest::addColumn<QString>("text");
    // Empty, blank, lettered, comma, hex, nan, inf and overlong texts are
    // typed into the window by tst_bad_input.
    QTest::newRow("digits and letters") << "1.7m";
    QTest::newRow("inner blank") << "1 7";
    QTest::newRow("sign only") << "-";
    QTest::newRow("point only") << ".";
    QTest::newRow("sign inside") << "1-2";
    QTest::newRow("two signs") << "--1";
    QTest::newRow("exponent") << "1e3";
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662");
}

void TestNumber::notNumbers()
{
    QFETCH(QString, text);
    QVERIFY(!readNumber(text).has_value());
}

void TestNumber::localeSeparatorIsAcceptedBesideThePoint()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(readNumber("1,70").value_or(-1), 1.7);
    QCOMPARE(readNumber("1.70").value_or(-1), 1.7);
    QVERIFY(!readNumber("1,7,0").has_value());
    QVERIFY(!readNumber("1,7.0").has_value());
}

void TestNumber::tiesGoToTheEvenNeighbour()
{
    QCOMPARE(roundHalfEven(22.5), 22.0);
    QCOMPARE(roundHalfEven(23.5), 24.0);
    QCOMPARE(roundHalfEven(-22.5), -22.0);
    QCOMPARE(roundHalfEven(-23.5), -24.0);
    QCOMPARE(roundHalfEven(22.4913494809689), 22.0);
    QCOMPARE(roundHalfEven(22.5000001), 23.0);
    QCOMPARE(roundHalfEven(0.0406), 0.0);
    // Not at the mercy of the floating-point rounding mode.
    std::fesetround(FE_UPWARD);
    const double up = roundHalfEven(22.5);
    std::fesetround(FE_TONEAREST);
    QCOMPARE(up, 22.0);
}

QTEST_APPLESS_MAIN(TestNumber)
#include "tst_number.moc"
