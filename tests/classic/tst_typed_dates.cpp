// Dates as the user types them: the locale's day/month/year order, and the
// two-digit year window of the application's clock.
#include "classic/typed_input.h"
#include "db/today.h"
#include "locales.h"

#include <QLocale>
#include <QTest>

using namespace merivex;
using namespace testlocales;

class TestTypedDates : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { restoreLocaleAndClock(); }

    void readTypedDateInLocaleOrder()
    {
        QLocale::setDefault(british());
        QCOMPARE(readDate(QStringLiteral("5/1/1970")), QDate(1970, 1, 5));
        QCOMPARE(readDate(QStringLiteral(" 05-01-1970 ")), QDate(1970, 1, 5));
        QCOMPARE(readDate(QStringLiteral("1970-01-05")), QDate(1970, 1, 5));
        QCOMPARE(readDate(QStringLiteral("5/1")), QDate(QDate::currentDate().year(), 1, 5));
        QLocale::setDefault(american());
        QCOMPARE(readDate(QStringLiteral("5/1/1970")), QDate(1970, 5, 1));
        QCOMPARE(readDate(QStringLiteral("1/31/1970")), QDate(1970, 1, 31));
        QVERIFY(!readDate(QStringLiteral("31/1/1970")).isValid());
        QLocale::setDefault(german());
        QCOMPARE(readDate(QStringLiteral("05.01.1970")), QDate(1970, 1, 5));
    }

    void readTypedDateRejectsNonDates_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text :
             {"", "   ", "abc", "31/02/2000", "0/1/1970", "5/13/1970", "5//1970", "5/1/1970/2",
              "5/1/", "5/1/19700", "5 Jan 1970", "5/1/1970x", "+5/1/1970"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    void readTypedDateRejectsNonDates()
    {
        QFETCH(QString, text);
        QLocale::setDefault(british());
        QVERIFY(!readDate(text).isValid());
    }

    void typedYearWindowFollowsTheClock()
    {
        Today::setSource([] { return QDate(2090, 6, 1); });
        QLocale::setDefault(british());
        QCOMPARE(readDate(QStringLiteral("5/1")), QDate(2090, 1, 5));
        QCOMPARE(readDate(QStringLiteral("5/1/05")), QDate(2105, 1, 5));
    }
};

QTEST_APPLESS_MAIN(TestTypedDates)
#include "tst_typed_dates.moc"
