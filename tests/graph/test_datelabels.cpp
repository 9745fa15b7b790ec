// Point labels read from stored dates: the same result as reading the text
// with the stored pattern and writing it "dd/mm", under any locale.
#include "db/dao.h"
#include "db/dates.h"
#include "graph/datelabels.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

namespace
{
QString byPattern(const QVariant &stored)
{
    const QDate date = merivex::readStoredDate(merivex::displayText(stored));
    return date.isValid() ? merivex::formatDate(date, QStringLiteral("dd/mm")) : QString();
}
} // namespace

class TestDateLabels : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void sameAsReadingByThePattern_data();
    void sameAsReadingByThePattern();
    void dayComesFirstWhateverTheLocale();
};

void TestDateLabels::sameAsReadingByThePattern_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
}

void TestDateLabels::sameAsReadingByThePattern()
{
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    const QString sep = merivex::dateSeparator();
    QList<QVariant> stored;
    // Every day of a few years around a century's turn, as Save writes them.
    for (QDate d(1999, 1, 1); d <= QDate(2001, 12, 31); d = d.addDays(1))
        stored.append(merivex::formatDate(d, QStringLiteral("dd/mm/yy")));
    for (int yy : {0, 4, 26, 45, 46, 47, 99})
        stored.append(QString("29%102%1%2").arg(sep).arg(yy, 2, 10, QChar('0')));
    for (const char *odd :
         {"31/02/01", "00/01/01", "32/01/01", "01/13/01", "01/00/01", "5/1/01", " 05/01/01 ",
          "05-01-01", "05.01.01", "0a/01/01", "05/01/2001", "garbage", "", "05/01", "٠٥/٠١/٠١"})
        stored.append(QString(odd).replace("/", sep));
    stored.append("05/01/01");
    stored.append(QVariant());

    DateLabels labels;
    for (const QVariant &v : std::as_const(stored))
        QCOMPARE(labels.label(v), byPattern(v));
}

void TestDateLabels::dayComesFirstWhateverTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DateLabels labels;
    QCOMPARE(labels.label("05/01/01"), QString("05/01"));
    QCOMPARE(labels.label("20/03/01"), QString("20/03"));
    QCOMPARE(labels.label(QVariant()), QString());
    QCOMPARE(labels.label("not a date"), QString());
}

QTEST_GUILESS_MAIN(TestDateLabels)
#include "test_datelabels.moc"
