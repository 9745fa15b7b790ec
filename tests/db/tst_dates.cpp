// Date texts: the separator and day/month/year order of the locale, reading
// back with the two-digit year window, and the order the collation gives.
#include "db/date_format.h"
#include "db/dates.h"
#include "db/today.h"
#include "locales.h"

#include <QLocale>
#include <QTest>

using namespace merivex;
using namespace testlocales;

namespace
{

int compare(const QString &a, const QString &b)
{
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    return dates::compareDates(x.constData(), std::size_t(x.size()), y.constData(),
                               std::size_t(y.size()), dates::currentYear());
}

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { restoreLocaleAndClock(); }

    void separatorOfTheLocale()
    {
        QLocale::setDefault(british());
        QCOMPARE(dateSeparator(), QLatin1Char('/'));
        QLocale::setDefault(german());
        QCOMPARE(dateSeparator(), QLatin1Char('.'));
        QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
        QCOMPARE(dateSeparator(), QLatin1Char('-'));
        QLocale::setDefault(QLocale::c()); // its short format has none
        QCOMPARE(dateSeparator(), QLatin1Char('/'));
    }

    void formatAlwaysDayMonthYear()
    {
        const QDate saved(2026, 12, 6);
        for (const QLocale &locale : {british(), american()}) {
            QLocale::setDefault(locale);
            QCOMPARE(formatDate(saved, QStringLiteral("dd/mm/yy")), QStringLiteral("06/12/26"));
            QCOMPARE(formatDate(saved, QStringLiteral("dd/mm/yyyy")), QStringLiteral("06/12/2026"));
            QCOMPARE(formatDate(saved, QStringLiteral("dd/mm")), QStringLiteral("06/12"));
        }
        QLocale::setDefault(german());
        QCOMPARE(formatDate(QDate(2001, 1, 5), QStringLiteral("dd/mm/yy")),
                 QStringLiteral("05.01.01"));
        QCOMPARE(formatDate(QDate(), QStringLiteral("dd/mm/yy")), QString());
    }

    void readBackWithPattern()
    {
        // Stored texts are day-first whatever the locale says.
        QLocale::setDefault(american());
        const QDate today = QDate::currentDate();
        for (int days : {0, -1, -40, -400, -3650, -365 * 79}) {
            const QDate d = today.addDays(days);
            QCOMPARE(readStoredDate(formatDate(d, QStringLiteral("dd/mm/yy"))), d);
            QCOMPARE(readStoredDate(formatDate(d, QStringLiteral("dd/mm/yyyy"))), d);
        }
        QVERIFY(!readStoredDate(QStringLiteral("05/01")).isValid());
        QVERIFY(!readStoredDate(QString()).isValid());
    }

    void twoDigitYearWindow()
    {
        const int year = QDate::currentDate().year();
        const auto yy = [](int y) {
            return QStringLiteral("%1").arg(y % 100, 2, 10, QLatin1Char('0'));
        };
        QCOMPARE(readStoredDate(QStringLiteral("01/01/") + yy(year + 19)).year(), year + 19);
        QCOMPARE(readStoredDate(QStringLiteral("01/01/") + yy(year + 20)).year(), year - 80);
        QCOMPARE(dates::expandYear(29, 2026), 2029);
        QCOMPARE(dates::expandYear(30, 2026), 2030); // past the old 1930-2029 window
        QCOMPARE(dates::expandYear(46, 2026), 1946);
        QCOMPARE(dates::expandYear(45, 2026), 2045);
        QCOMPARE(dates::expandYear(99, 2070), 1999);
        QCOMPARE(dates::expandYear(89, 2070), 2089);
    }

    // The window moves with the application's clock, not the system's.
    void yearWindowFollowsTheClock()
    {
        Today::setSource([] { return QDate(2090, 6, 1); });
        QCOMPARE(readStoredDate(QStringLiteral("01/01/05")), QDate(2105, 1, 1));
        QCOMPARE(readStoredDate(QStringLiteral("01/01/10")), QDate(2010, 1, 1));
    }

    // The chronological order through the statements is the recordset test's.
    void collationIsATotalOrder()
    {
        // Same day written differently, other separators, and texts that are
        // no dates: equal only when identical, non-dates after every date.
        QVERIFY(compare(QStringLiteral("05/01/27"), QStringLiteral("5/1/27")) != 0);
        QCOMPARE(compare(QStringLiteral("05/01/27"), QStringLiteral("05/01/27")), 0);
        QVERIFY(compare(QStringLiteral("05.01.27"), QStringLiteral("06/01/27")) < 0);
        QVERIFY(compare(QStringLiteral("31/12/2026"), QStringLiteral("01/01/2027")) < 0);
        QVERIFY(compare(QStringLiteral("garbage"), QStringLiteral("01/01/27")) > 0);
        QVERIFY(compare(QStringLiteral("01/01/27"), QStringLiteral("garbage")) < 0);
        QVERIFY(compare(QString(), QStringLiteral("a")) < 0);
        QVERIFY(compare(QStringLiteral("32/01/27"), QStringLiteral("01/01/99")) > 0);
    }

    // Eight-byte texts take a shortcut; with a leading blank the same text
    // takes the general reader. Both must read every such text alike,
    // including digits' neighbours in the character set and other separators.
    void shortFormReadsAsTheGeneralForm()
    {
        const QByteArray digitsAndNeighbours = "0123456789/:";
        const QByteArray separators = "/.- ,";
        int valid = 0;
        for (int year : {1950, 2026, 2099}) {
            for (char d0 : digitsAndNeighbours)
                for (char d1 : QByteArray("019:"))
                    for (char m0 : QByteArray("01/"))
                        for (char m1 : QByteArray("0129"))
                            for (char s : separators)
                                for (char y0 : QByteArray("09:"))
                                    for (char y1 : QByteArray("0/9")) {
                                        const QByteArray text =
                                            QByteArray() + d0 + d1 + s + m0 + m1 + '/' + y0 + y1;
                                        const QByteArray padded = ' ' + text;
                                        const auto fast =
                                            dates::parseDayMonthYear(text.constData(), 8, year);
                                        const auto general =
                                            dates::parseDayMonthYear(padded.constData(), 9, year);
                                        QVERIFY2(fast.valid == general.valid, text.constData());
                                        QCOMPARE(fast.day, general.day);
                                        QCOMPARE(fast.month, general.month);
                                        QCOMPARE(fast.year, general.year);
                                        valid += fast.valid;
                                    }
        }
        QVERIFY(valid > 1000); // the loops reached real dates, not only rejects
    }
};

QTEST_APPLESS_MAIN(TestDates)
#include "tst_dates.moc"
