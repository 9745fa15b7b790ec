// Point labels read from stored dates: day first whatever the locale.
#include "db/dao.h"
#include "db/dates.h"
#include "graph/datelabels.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtTest>

class TestDateLabels : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void dayComesFirstWhateverTheLocale();
};

void TestDateLabels::dayComesFirstWhateverTheLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DateLabels labels;
    QCOMPARE(labels.label("05/01/01"), QString("05/01"));
    QCOMPARE(labels.label("20/03/01"), QString("20/03"));
    QCOMPARE(labels.label(QVariant()), QString());
    QCOMPARE(labels.label("not a date"), QString());
    QCOMPARE(labels.label("31/02/01"), QString()); // no such day
    QCOMPARE(labels.label(" 5-1-01 "), QString("05/01"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(DateLabels().label("05.01.01"), QString("05.01"));
}

QTEST_GUILESS_MAIN(TestDateLabels)
#include "test_datelabels.moc"
