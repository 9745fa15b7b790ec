// The history read and ordered outside the engine lists exactly the rows,
// cells and order of the history statement with "order by date", on files
// of random dates across the century, repeated dates, nulls and odd texts.
#include "db/display_text.h"
#include "db/history.h"
#include "db/statements.h"

#include "patientfile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;

namespace
{

struct Generated {
    int patients;     // ids -2 .. patients - 3, so 0 and negative ids too
    int measurements; // spread over the patients and one id no patient has
    int distinctDays; // few: many equal dates
    bool ownSchema;   // else a BMIHistory made by hand, without the date order
};

// A stored date: mostly "dd/mm/yy" across the century, also four-digit
// years, other separators, blanks, impossible days, texts, nulls, blobs.
QString dateLiteral(QRandomGenerator &random, int distinctDays)
{
    const int day = 1 + int(random.bounded(distinctDays));
    const QDate date = QDate(1930, 1, 1).addDays(day * 9973 % 36500);
    const QString yy = date.toString(QStringLiteral("dd/MM/yy"));
    switch (random.bounded(16)) {
    case 0:
        return QStringLiteral("NULL");
    case 1:
        return QStringLiteral("'%1'").arg(date.toString(QStringLiteral("d.M.yyyy")));
    case 2:
        return QStringLiteral("' %1 '").arg(date.toString(QStringLiteral("dd-MM-yy")));
    case 3:
        return QStringLiteral("'%1/13/%2'").arg(day % 40).arg(day % 100);
    case 4: {
        static const QStringList odd{"",      " ",      "abc",   "Ünïcödé",   "31/02/24",
                                     "1/1/1", "0/0/00", "99999", "\t05/01/24"};
        return QLatin1Char('\'') + odd[int(random.bounded(odd.size()))] + QLatin1Char('\'');
    }
    case 5:
        return QStringLiteral("X'%1'").arg(QString::fromLatin1(yy.toLatin1().toHex()));
    default:
        return QLatin1Char('\'') + yy + QLatin1Char('\'');
    }
}

QString numberLiteral(QRandomGenerator &random, double base)
{
    switch (random.bounded(12)) {
    case 0:
        return QStringLiteral("NULL");
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("'x'");
    default:
        return QString::number(base + random.bounded(100) / 100.0, 'g', 6);
    }
}

QString makeFile(const QTemporaryDir &dir, const QString &name, const Generated &g, quint32 seed)
{
    const QString path = testfiles::createDatabase(dir, name);
    auto db = testfiles::open(path);
    if (!g.ownSchema) {
        db->execute(QStringLiteral("DROP TABLE BMIHistory"));
        db->execute(QStringLiteral("CREATE TABLE BMIHistory (IdBMI INTEGER PRIMARY KEY, IdPt "
                                   "TEXT, Date TEXT, Weight REAL, Height REAL)"));
    }
    QRandomGenerator random(seed);
    db->BeginTrans();
    for (int p = 0; p < g.patients; ++p)
        db->execute(
            QStringLiteral("INSERT INTO Biodata VALUES (%1, 'P', 'Male', '', '')").arg(p - 2));
    for (int m = 1; m <= g.measurements; ++m) {
        // One row in sixteen goes to an id no patient has.
        const int patient =
            (random.bounded(16) == 0 ? g.patients : int(random.bounded(g.patients))) - 2;
        db->execute(QStringLiteral("INSERT INTO BMIHistory VALUES (%1, %2, %3, %4, %5)")
                        .arg(m - (m % 3 == 0 ? 32768 : 0)) // ids out of date order
                        .arg(patient)
                        .arg(dateLiteral(random, g.distinctDays), numberLiteral(random, 50),
                             numberLiteral(random, 1.4)));
    }
    db->CommitTrans();
    return path;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private slots:
    void sameRowsCellsAndOrderAsTheStatement();
    void cacheReadsAgainWhenAnythingCanHaveChanged_data();
    void cacheReadsAgainWhenAnythingCanHaveChanged();
};

void TestHistory::cacheReadsAgainWhenAnythingCanHaveChanged_data()
{
    QTest::addColumn<QString>("change");
    for (const char *change :
         {"nothing", "a row through this connection", "a row through another", "an index made",
          "another patient", "another statement's result held"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

void TestHistory::cacheReadsAgainWhenAnythingCanHaveChanged()
{
    QFETCH(QString, change);
    QTemporaryDir dir;
    const QString path = makeFile(dir, QStringLiteral("f.mdb"), {3, 60, 20, true}, 7);
    auto db = testfiles::open(path);
    HistoryCache cache;
    std::shared_ptr<Recordset> result;
    HistoryCache::Read firstRead = cache.read(*db, 0, result);
    const std::vector<HistoryRow> first = firstRead.rows;
    result = firstRead.result;
    const auto held = result;
    qint16 id = 0;
    const QString add = QStringLiteral("INSERT INTO BMIHistory VALUES (9999, 0, '01/01/01', 1, 1)");
    if (change == "a row through this connection")
        db->execute(add);
    if (change == "a row through another")
        testfiles::open(path)->execute(add); // the same process: the file is held exclusively
    if (change == "an index made")
        db->execute(QStringLiteral("CREATE INDEX byDate ON BMIHistory(Date)"));
    if (change == "another patient")
        id = -1;
    if (change == "another statement's result held")
        result = db->OpenRecordset(Sql::patientList(), dbOpenSnapshot);

    HistoryCache::Read read = cache.read(*db, id, result);
    const std::vector<HistoryRow> again = read.rows;
    if (read.result)
        result = read.result;
    const std::vector<HistoryRow> expected = readPatientHistory(*db, id).rows;
    QCOMPARE(again.size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r)
        QCOMPARE(again[r].idBmi, expected[r].idBmi);
    // Read again exactly when something changed: a new result is held then.
    QCOMPARE(result == held, change == "nothing");
    QCOMPARE(first.size() == again.size(), change != "a row through this connection" &&
                                               change != "a row through another" &&
                                               change != "another patient");
}

void TestHistory::sameRowsCellsAndOrderAsTheStatement()
{
    const QList<Generated> files{
        {4, 400, 60, true},      {30, 3000, 400, true}, {1, 32767, 2000, true},
        {2, 20000, 36500, true}, {3, 500, 50, false},
    };
    QTemporaryDir dir;
    qint64 rows = 0, cells = 0, ties = 0;
    for (qsizetype f = 0; f < files.size(); ++f) {
        const Generated &g = files[f];
        const QString path = makeFile(dir, QStringLiteral("f%1.mdb").arg(f), g, quint32(f + 1));
        auto db = testfiles::open(path);
        for (int id = -3; id <= g.patients - 2; ++id) { // -3 and the last: no patient
            const QList<QStringList> expected =
                testfiles::readAll(*db, Sql::patientHistory(QString::number(id)));
            const PatientHistory read = readPatientHistory(*db, qint16(id));
            QVERIFY(read.result);
            const std::vector<HistoryRow> &history = read.rows;
            QCOMPARE(qsizetype(history.size()), expected.size());
            for (qsizetype r = 0; r < expected.size(); ++r) {
                const HistoryRow &row = history[std::size_t(r)];
                const QStringList shown{displayText(row.date), displayText(row.height),
                                        displayText(row.weight), displayText(row.bmi)};
                QVERIFY2(shown == expected[r],
                         qPrintable(QStringLiteral("file %1 id %2 row %3").arg(f).arg(id).arg(r)));
                if (r > 0 && expected[r][0] == expected[r - 1][0])
                    ++ties;
            }
            rows += expected.size();
            cells += expected.size() * 4;
        }
    }
    qInfo("%lld files, %lld rows, %lld cells compared, %lld rows dated as the one before",
          qint64(files.size()), rows, cells, ties);
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
