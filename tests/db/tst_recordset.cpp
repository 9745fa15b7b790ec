// Recordsets on real files: the next id, the 16-bit limit, what is stored,
// the order the history lists the dates in, and misuse.
#include "db/dao.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/engine_sql.h"
#include "db/int16.h"
#include "db/statements.h"

#include "patientfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <limits>

using namespace merivex;
using testfiles::errorNumber;

class TestRecordset : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    int m_files = 0;

    // A fresh file for every test; the old connection is released first.
    Database &fresh()
    {
        m_db.reset();
        ++m_files;
        m_db = testfiles::open(testfiles::createDatabase(m_dir, name()));
        return *m_db;
    }
    QString name() const { return QStringLiteral("t%1.mdb").arg(m_files); }
    QString path() const { return m_dir.filePath(name()); }

    // Rows of a statement, counted by walking them.
    long count(const QString &sql) { return long(testfiles::readAll(*m_db, sql).size()); }

    // Ann, measured on the first three days of December.
    static qint16 withThreeMeasurements(Database &db)
    {
        const qint16 patient = testfiles::appendPatient(db, QStringLiteral("Ann"));
        for (const char *date : {"01/12/26", "02/12/26", "03/12/26"})
            testfiles::appendMeasurement(db, patient, QString::fromLatin1(date), 60, 1.7);
        return patient;
    }

private slots:
    // The first ids are tst_frmnew's and tst_save's.
    void emptyTableHasNoCurrentRow()
    {
        Database &db = fresh();
        auto rs = db.OpenRecordset(Sql::patientTable(), dbOpenDynaset);
        QCOMPARE(rs->RecordCount(), 0);
        QVERIFY(rs->AtEOF());
        QCOMPARE(errorNumber([&] { rs->MoveLast(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { rs->Fields(0).Value(); }), ErrorNumber::NoCurrentRecord);
    }

    void nextIdFollowsTheLastRow()
    {
        Database &db = fresh();
        for (int i = 1; i <= 7; ++i)
            testfiles::appendPatient(db, QStringLiteral("P%1").arg(i));
        auto rs = db.OpenRecordset(Sql::patientTable(), dbOpenDynaset);
        rs->MoveLast();
        const qint16 last = toInt16(rs->Fields(QStringLiteral("IdPatient")).Value());
        QCOMPARE(last, 7);
        rs->AddNew();
        QVERIFY(rs->Fields(QStringLiteral("Name")).Value().isNull()); // an empty new row
        rs->Fields(QStringLiteral("IdPatient")).setValue(addInt16(last, 1));
        // Read back before storing, as registration does for the current id.
        QCOMPARE(displayText(rs->Fields(QStringLiteral("idpatient")).Value()), QStringLiteral("8"));
        rs->Fields(QStringLiteral("Name")).setValue(QStringLiteral("Eighth"));
        rs->Update(dbUpdateRegular);
        QCOMPARE(toInt16(rs->Fields(QStringLiteral("IdPatient")).Value()), 7); // current row stays
        rs->MoveNext(); // the stored row follows
        QCOMPARE(rs->Fields(QStringLiteral("Name")).Value(), QVariant(QStringLiteral("Eighth")));
        rs->MoveNext();
        QVERIFY(rs->AtEOF());
        rs->Close();

        const auto rows = testfiles::readAll(db, Sql::patientList());
        QCOMPARE(rows.size(), 8);
        QCOMPARE(rows.last().first(), QStringLiteral("Eighth"));
    }

    void overflowAtTheLastIdStoresNothing()
    {
        Database &db = fresh();
        testfiles::insertRows(
            db, Sql::patientTable(),
            {{{"IdPatient", 1}, {"Name", "First"}}, {{"IdPatient", 32767}, {"Name", "Last"}}});
        // Writing 32768 fails at the assignment; storing the row regardless
        // would let the engine number it 32768, which the file refuses too.
        auto rs = db.OpenRecordset(Sql::patientTable(), dbOpenDynaset);
        rs->AddNew();
        QCOMPARE(errorNumber([&] { rs->Fields(QStringLiteral("IdPatient")).setValue(32768); }),
                 ErrorNumber::Overflow);
        QVERIFY(rs->Fields(QStringLiteral("IdPatient")).Value().isNull());
        rs->Fields(QStringLiteral("Name")).setValue(QStringLiteral("Numbered by the engine"));
        QCOMPARE(errorNumber([&] { rs->Update(); }), ErrorNumber::Overflow);
        rs->Close();

        QCOMPARE(testfiles::readAll(*testfiles::open(path()), Sql::patientTable()).size(), 2);
    }

    // A query that fails at its first row must not keep its statement, which
    // would keep the connection (and the file) open for the rest of the run.
    void queryFailingAtItsFirstRowLeavesNothingOpen()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        {
            auto db = testfiles::open(path);
            testfiles::appendPatient(*db, QStringLiteral("Ann"));
            // abs() of the smallest integer fails when the row is computed.
            QVERIFY(errorNumber([&] {
                        db->OpenRecordset(
                            QStringLiteral("SELECT abs(-9223372036854775807 - 1) FROM Biodata"),
                            dbOpenSnapshot);
                    }) != 0);
        }
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }

    void measurementsTakeNumbersOnly()
    {
        Database &db = fresh();
        const qint16 patient = testfiles::appendPatient(db, QStringLiteral("Ann"));
        testfiles::appendMeasurement(db, patient, QStringLiteral("01/12/26"),
                                     QStringLiteral(" 65 "), QStringLiteral("1.70"));
        testfiles::appendMeasurement(db, patient, QStringLiteral("02/12/26"), qint64(90),
                                     qint64(2));
        for (const QVariant &bad :
             {QVariant(QString()), QVariant(QStringLiteral("abc")),
              QVariant(QStringLiteral("1.7.0")), QVariant(QStringLiteral("nan")),
              QVariant(QStringLiteral("inf")), QVariant(QStringLiteral("1e309")),
              QVariant(QStringLiteral("0x10")),
              QVariant(std::numeric_limits<double>::quiet_NaN())}) {
            QCOMPARE(errorNumber([&] {
                         testfiles::appendMeasurement(db, patient, QStringLiteral("03/12/26"), bad,
                                                      1.7);
                     }),
                     ErrorNumber::TypeMismatch);
        }
        QCOMPARE(errorNumber([&] {
                     testfiles::appendMeasurement(db, patient, QStringLiteral("03/12/26"), 65,
                                                  std::numeric_limits<double>::infinity());
                 }),
                 ErrorNumber::Overflow);
        // An empty current patient id is no id.
        QCOMPARE(errorNumber([&] {
                     testfiles::appendWithNextId(db, Sql::measurementTable(),
                                                 QStringLiteral("IdBMI"),
                                                 {{QStringLiteral("IdPt"), QString()}});
                 }),
                 ErrorNumber::TypeMismatch);
        QCOMPARE(count(Sql::measurementTable()), 2);
    }

    // Columns are found by name in any case, or by number.
    void fieldsByNameOrNumber()
    {
        Database &db = fresh();
        testfiles::appendMeasurement(db, testfiles::appendPatient(db, QStringLiteral("Ann")),
                                     QStringLiteral("01/12/26"), 50.0, 1.6);
        auto rs = db.OpenRecordset(Sql::patientHistory(QStringLiteral("1")), dbOpenSnapshot,
                                   dbSQLPassThrough);
        QCOMPARE(&rs->Fields(QStringLiteral("DATE")), &rs->Fields(QStringLiteral("date")));
        QCOMPARE(&rs->Fields(QStringLiteral("height")), &rs->Fields(1));
        QCOMPARE(errorNumber([&] { rs->Fields(QStringLiteral("BMI")); }),
                 ErrorNumber::ItemNotFound);
        QCOMPARE(errorNumber([&] { rs->Fields(-1); }), ErrorNumber::ItemNotFound);
    }

    void historyIsInDateOrder()
    {
        Database &db = fresh();
        const qint16 patient = testfiles::appendPatient(db, QStringLiteral("Ann"));
        const QDate today = QDate::currentDate();
        QList<QDate> days;
        for (int offset : {-32, -1, -400, 0, -31, -3000, -366, -27, -300, -700, -20000})
            days.append(today.addDays(offset));
        days.append(QDate(today.year() - 1, 2, 1)); // sorts before 02/01 as text
        days.append(QDate(today.year() - 1, 1, 2));
        for (const QDate &d : days)
            testfiles::appendMeasurement(db, patient, formatDate(d, QStringLiteral("dd/mm/yy")), 60,
                                         1.7);

        std::sort(days.begin(), days.end());
        QStringList expected;
        for (const QDate &d : days)
            expected.append(formatDate(d, QStringLiteral("dd/mm/yy")));
        QStringList listed;
        for (const QStringList &row :
             testfiles::readAll(db, Sql::patientHistory(QString::number(patient))))
            listed.append(row.first());
        QCOMPARE(listed, expected);
    }

    // The walk the trend graph does: count to the end, return, read again.
    void walkToTheEndAndBack()
    {
        Database &db = fresh();
        const qint16 patient = withThreeMeasurements(db);
        auto rs = db.OpenRecordset(Sql::patientHistory(QString::number(patient)), dbOpenSnapshot,
                                   dbSQLPassThrough);
        int n = 0;
        while (!rs->AtEOF()) {
            rs->MoveNext();
            ++n;
        }
        QCOMPARE(n, 3);
        QCOMPARE(errorNumber([&] { rs->MoveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { rs->Fields(0).Value(); }), ErrorNumber::NoCurrentRecord);
        rs->MoveFirst();
        QCOMPARE(displayText(rs->Fields(0).Value()), QStringLiteral("01/12/26"));
        rs->MoveLast();
        QCOMPARE(displayText(rs->Fields(0).Value()), QStringLiteral("03/12/26"));
        rs->Close();
        QCOMPARE(errorNumber([&] { rs->RecordCount(); }), ErrorNumber::ObjectInvalid);
        QCOMPARE(errorNumber([&] { rs->Fields(0); }), ErrorNumber::ObjectInvalid);
    }

    // A query read halfway keeps its statement; saving through another
    // connection of the process must still work, and the walk goes on.
    void halfReadQueryDoesNotBlockSaving()
    {
        Database &db = fresh();
        const qint16 patient = withThreeMeasurements(db);
        auto history = db.OpenRecordset(Sql::patientHistory(QString::number(patient)),
                                        dbOpenSnapshot, dbSQLPassThrough);
        QVERIFY(history->RecordCount() > 0);
        history->MoveNext();
        auto other = testfiles::open(path());
        QCOMPARE(testfiles::appendMeasurement(*other, patient, QStringLiteral("04/12/26"), 61, 1.7),
                 qint16(4));
        QCOMPARE(displayText(history->Fields(0).Value()), QStringLiteral("02/12/26"));
        history->MoveNext();
        history->MoveNext();
        QVERIFY(history->AtEOF());
        QCOMPARE(count(Sql::measurementTable()), 4);
    }

    void misuseIsRefused()
    {
        Database &db = fresh();
        testfiles::appendPatient(db, QStringLiteral("Ann"));
        auto snapshot = db.OpenRecordset(Sql::patientList(), dbOpenSnapshot, dbSQLPassThrough);
        QCOMPARE(errorNumber([&] { snapshot->AddNew(); }), ErrorNumber::ReadOnly);
        QCOMPARE(errorNumber([&] { snapshot->Fields(0).setValue(QStringLiteral("x")); }),
                 ErrorNumber::ReadOnly);
        auto join = db.OpenRecordset(Sql::patientHistory(QStringLiteral("1")), dbOpenDynaset);
        QCOMPARE(errorNumber([&] { join->AddNew(); }), ErrorNumber::ReadOnly);

        auto dynaset = db.OpenRecordset(Sql::patientTable(), dbOpenDynaset);
        QCOMPARE(errorNumber([&] { dynaset->Fields(1).setValue(QStringLiteral("x")); }),
                 ErrorNumber::UpdateWithoutAddNew);
        QCOMPARE(errorNumber([&] { dynaset->Update(); }), ErrorNumber::UpdateWithoutAddNew);
        dynaset->AddNew();
        dynaset->Fields(0).setValue(1);
        QCOMPARE(errorNumber([&] { dynaset->Update(); }), ErrorNumber::DuplicateKey);

        QCOMPARE(errorNumber([&] { db.OpenRecordset(Sql::patientTable(), 1); }),
                 ErrorNumber::InvalidArgument);
        QCOMPARE(errorNumber([&] { db.OpenRecordset(Sql::patientTable(), dbOpenSnapshot, 8); }),
                 ErrorNumber::InvalidArgument);
        // Rows change only through AddNew and Update, one statement at a time.
        const QString insert = Sql::engine::insert(QStringLiteral("Biodata"), {});
        QCOMPARE(errorNumber([&] { db.OpenRecordset(insert, dbOpenDynaset); }),
                 ErrorNumber::InvalidArgument);
        QCOMPARE(errorNumber([&] {
                     db.OpenRecordset(Sql::patientTable() + QStringLiteral("; ") + insert, 2);
                 }),
                 ErrorNumber::CharactersAfterEnd);
        const QString nowhere =
            Sql::patientTable().replace(QStringLiteral("Biodata"), QStringLiteral("Nowhere"));
        QCOMPARE(errorNumber([&] { db.OpenRecordset(nowhere, 2); }), ErrorNumber::ReservedError);
        QCOMPARE(count(Sql::patientTable()), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
