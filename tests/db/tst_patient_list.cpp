// The patient list read in pieces on two connections at once lists exactly
// the rows, cells and order of the list statement, on short and long tables,
// ids on both sides of zero with gaps, and a table made by hand whose ids are
// texts; a damaged page fails it, whichever connection meets it.
#include "db/display_text.h"
#include "db/patient_list.h"
#include "db/sqlite.h"
#include "db/statements.h"

#include "patientfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace merivex;

class TestPatientList : public QObject
{
    Q_OBJECT
private slots:
    void sameRowsCellsAndOrderAsTheStatement_data();
    void sameRowsCellsAndOrderAsTheStatement();
    void damagedPageFailsTheListWithoutHanging_data();
    void damagedPageFailsTheListWithoutHanging();
    void noAllocationStatisticsToQueueFor();
};

void TestPatientList::sameRowsCellsAndOrderAsTheStatement_data()
{
    QTest::addColumn<int>("patients");
    QTest::addColumn<int>("step"); // between ids, from -32768 up
    QTest::addColumn<bool>("ownSchema");
    QTest::newRow("empty") << 0 << 1 << true;
    QTest::newRow("short") << 300 << 7 << true;
    QTest::newRow("long, from the lowest id") << 20000 << 3 << true;
    QTest::newRow("the whole id range") << 32767 << 2 << true;
    QTest::newRow("made by hand") << 6000 << 5 << false;
}

void TestPatientList::sameRowsCellsAndOrderAsTheStatement()
{
    QFETCH(int, patients);
    QFETCH(int, step);
    QFETCH(bool, ownSchema);
    QTemporaryDir dir;
    auto db = testfiles::open(testfiles::createDatabase(dir));
    if (!ownSchema) {
        db->execute(QStringLiteral("DROP TABLE Biodata"));
        db->execute(QStringLiteral("CREATE TABLE Biodata (IdPatient TEXT, Name TEXT, Sex TEXT, "
                                   "DateRegister TEXT, BirthDate TEXT)"));
    }
    db->BeginTrans();
    for (int p = 0; p < patients; ++p) {
        const int id = -32768 + p * step;
        // Now and then a null name or date, and on the hand-made table an id
        // that is no number.
        const QString idText =
            !ownSchema && p % 11 == 0 ? QStringLiteral("'x%1'").arg(p) : QString::number(id);
        db->execute(QStringLiteral("INSERT INTO Biodata VALUES (%1, %2, 'Male', %3, '')")
                        .arg(idText,
                             p % 13 ? QStringLiteral("'P%1'").arg(p) : QStringLiteral("NULL"),
                             p % 17 ? QStringLiteral("'%1/02/2003'").arg(1 + p % 28)
                                    : QStringLiteral("NULL")));
    }
    db->CommitTrans();

    const QList<QStringList> expected = testfiles::readAll(*db, Sql::patientList());
    std::shared_ptr<Recordset> result;
    std::vector<PatientListRow> rows;
    std::size_t atMost = std::numeric_limits<std::size_t>::max();
    readPatientList(
        *db, result, [&](std::size_t n) { atMost = n; },
        [&](PatientListRow &&row) { rows.push_back(std::move(row)); });
    QVERIFY(result);
    QCOMPARE(qsizetype(rows.size()), expected.size());
    QVERIFY(rows.size() <= atMost); // room made for fewer rows would be regrown
    for (qsizetype r = 0; r < expected.size(); ++r) {
        const PatientListRow &row = rows[std::size_t(r)];
        QCOMPARE((QStringList{displayText(row.name), displayText(row.dateRegister)}),
                 expected[r].mid(0, 2));
        // A text column holds every id as text, which names no patient.
        QCOMPARE(row.id.has_value(), ownSchema);
        if (row.id)
            QCOMPARE(QString::number(*row.id), expected[r][2]);
    }
}

void TestPatientList::damagedPageFailsTheListWithoutHanging_data()
{
    QTest::addColumn<double>("at"); // where in the file, as a share of its length
    QTest::newRow("in the first piece, always this thread's") << 0.1;
    QTest::newRow("two fifths in") << 0.4;
    QTest::newRow("near the end") << 0.95;
}

// Whichever connection meets the page, the failure reaches the caller, and
// neither thread waits for the other forever.
void TestPatientList::damagedPageFailsTheListWithoutHanging()
{
    QFETCH(double, at);
    QTemporaryDir dir;
    const QString path = testfiles::createDatabase(dir);
    {
        auto db = testfiles::open(path);
        db->BeginTrans();
        for (int id = 1; id <= 8000; ++id)
            db->execute(
                QStringLiteral("INSERT INTO Biodata VALUES (%1, 'P%1', 'Male', '01/02/2003', '')")
                    .arg(id));
        db->CommitTrans();
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(qint64(double(file.size() / 1024) * at) * 1024 + 100));
    QVERIFY(file.write("damage") == 6);
    file.close();

    auto db = testfiles::open(path);
    std::shared_ptr<Recordset> result;
    // Which connection meets the page depends on timing: a few rounds see both.
    for (int round = 0; round < 5; ++round) {
        qint64 rows = 0;
        QVERIFY_THROWS_EXCEPTION(
            Error, readPatientList(
                       *db, result, [](std::size_t) {}, [&](PatientListRow &&) { ++rows; }));
        QVERIFY(rows < 8000);
    }
}

// The setting is refused once the engine has started, so a connection opened
// before it would leave both readers queueing on one lock again.
void TestPatientList::noAllocationStatisticsToQueueFor()
{
    QTemporaryDir dir;
    auto db = testfiles::open(testfiles::createDatabase(dir));
    testfiles::readAll(*db, Sql::patientList());
    QCOMPARE(sqlite3_memory_used(), 0);
}

QTEST_GUILESS_MAIN(TestPatientList)
#include "tst_patient_list.moc"
