// Files made by someone else to do harm or by bad luck: check reports each,
// restore refuses every file check fails and leaves all files as they were,
// and the application refuses a file whose schema would change what its
// statements do, or else lists its patients in id order.
#include "db/dao.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using dbtest::Run;
using dbtest::runTool;

namespace
{

enum Bytes { Intact, FirstPageDamaged, OneByte, CutCreate };

// Zed registered before Amy, one measurement of Zed's.
QString sample(const QTemporaryDir &dir, const QString &name)
{
    const QString path = testfiles::createDatabase(dir, name);
    auto db = testfiles::open(path);
    const qint16 zed = testfiles::appendPatient(*db, QStringLiteral("Zed"));
    testfiles::appendPatient(*db, QStringLiteral("Amy"));
    testfiles::appendMeasurement(*db, zed, QStringLiteral("06/12/26"), 80.0, 1.8);
    return path;
}

// Every file of the folder and its bytes.
QMap<QString, QByteArray> state(const QTemporaryDir &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, dbtest::hashOf(dir.filePath(name)));
    return files;
}

const char *const withoutCheck =
    "CREATE TABLE t (IdPatient INTEGER PRIMARY KEY, Name TEXT, Sex TEXT, DateRegister TEXT, "
    "BirthDate TEXT); INSERT INTO t SELECT * FROM Biodata; WITH RECURSIVE n(i) AS (SELECT 3 "
    "UNION ALL SELECT i + 1 FROM n WHERE i < 40000) INSERT INTO t SELECT i, 'P', 'Male', '', '' "
    "FROM n; DROP TABLE Biodata; ALTER TABLE t RENAME TO Biodata";
const char *const extraNotNull =
    "CREATE TABLE t (IdPatient INTEGER PRIMARY KEY CHECK (IdPatient BETWEEN -32768 AND 32767), "
    "Name TEXT, Sex TEXT, DateRegister TEXT, BirthDate TEXT, Ward TEXT NOT NULL); INSERT INTO t "
    "SELECT *, 'A' FROM Biodata; DROP TABLE Biodata; ALTER TABLE t RENAME TO Biodata";
const char *const recursiveView =
    "ALTER TABLE Biodata RENAME TO Old; CREATE VIEW Biodata AS WITH RECURSIVE r(IdPatient, Name, "
    "Sex, DateRegister, BirthDate) AS (SELECT 1, 'a', 'b', 'c', 'd' UNION ALL SELECT IdPatient + "
    "1, Name, Sex, DateRegister, BirthDate FROM r) SELECT * FROM r";

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("checkExit");
        QTest::addColumn<QString>("checkSays");
        QTest::addColumn<int>("applicationError"); // 0: it opens and lists by id
        QTest::newRow("trigger that empties Biodata on a save")
            << QByteArray("CREATE TRIGGER wipe AFTER INSERT ON BMIHistory BEGIN DELETE FROM "
                          "Biodata;END")
            << int(Intact) << 1 << "trigger wipe on BMIHistory" << ErrorNumber::CannotOpen;
        QTest::newRow("Biodata a recursive view") << QByteArray(recursiveView) << int(Intact) << 1
                                                  << "view Biodata" << ErrorNumber::CannotOpen;
        QTest::newRow("index that lists by name")
            << QByteArray("CREATE INDEX byName ON Biodata(Name, DateRegister)") << int(Intact) << 0
            << "warning: index byName on Biodata" << 0;
        QTest::newRow("no 16-bit CHECK, 40,000 patients")
            << QByteArray(withoutCheck) << int(Intact) << 1
            << "IdPatient 32768 is outside -32768 to 32767" << 0;
        QTest::newRow("extra NOT NULL column")
            << QByteArray(extraNotNull) << int(Intact) << 1 << "column Ward is NOT NULL" << 0;
        QTest::newRow("missing column")
            << QByteArray("CREATE TABLE t AS SELECT IdPatient, Name, DateRegister, BirthDate "
                          "FROM Biodata; DROP TABLE Biodata; ALTER TABLE t RENAME TO Biodata")
            << int(Intact) << 1 << "Biodata: column Sex is missing" << 0;
        QTest::newRow("missing table") << QByteArray("DROP TABLE BMIHistory") << int(Intact) << 1
                                       << "table BMIHistory is missing" << 0;
        QTest::newRow("table create does not make")
            << QByteArray("CREATE TABLE Notes (Text)") << int(Intact) << 1
            << "table Notes is not one create makes" << 0;
        QTest::newRow("damaged first page")
            << QByteArray() << int(FirstPageDamaged) << 1 << "wrong password or damaged file"
            << ErrorNumber::InvalidPassword;
        QTest::newRow("one byte") << QByteArray() << int(OneByte) << 1 << "3049"
                                  << ErrorNumber::CannotOpen;
        QTest::newRow("empty, with the journal of a create cut off")
            << QByteArray() << int(CutCreate) << 1 << "is empty: making it was cut off"
            << ErrorNumber::CannotOpen;
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, sql);
        QFETCH(int, bytes);
        QFETCH(int, checkExit);
        QFETCH(QString, checkSays);
        QFETCH(int, applicationError);
        QTemporaryDir dir;
        const QString hostile = sample(dir, QStringLiteral("hostile.mdb"));
        if (!sql.isEmpty()) {
            auto db = testfiles::open(hostile);
            for (const QString &statement : QString::fromUtf8(sql).split(QStringLiteral("; ")))
                db->execute(statement);
        }
        QFile file(hostile);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (bytes == FirstPageDamaged)
            file.write(QByteArray(1024, 'x'));
        if (bytes == OneByte)
            QVERIFY(file.resize(1));
        if (bytes == CutCreate) {
            QVERIFY(file.resize(0));
            QFile journal(hostile + QStringLiteral("-journal"));
            QVERIFY(journal.open(QIODevice::WriteOnly) && journal.write("journal") == 7);
        }
        file.close();
        const QString live = sample(dir, QStringLiteral("Merivex.mdb"));
        const QMap<QString, QByteArray> before = state(dir);

        const Run check = runTool({QStringLiteral("check"), hostile});
        QCOMPARE(check.exitCode, checkExit);
        QVERIFY2((check.out + check.err).contains(checkSays), qPrintable(check.out + check.err));
        QCOMPARE(state(dir), before); // check writes nothing

        const Run restore = runTool({QStringLiteral("restore"), hostile, live});
        QCOMPARE(restore.exitCode, checkExit == 0 ? 0 : 1);
        if (checkExit != 0)
            QCOMPARE(state(dir), before);

        QCOMPARE(testfiles::errorNumber([&] {
                     auto db = testfiles::open(hostile);
                     QList<int> ids;
                     for (const QStringList &row : testfiles::readAll(*db, Sql::patientList()))
                         ids.append(row.value(2).toInt());
                     QVERIFY(std::is_sorted(ids.cbegin(), ids.cend()));
                     QCOMPARE(ids.value(0), 1);
                 }),
                 applicationError);
        if (applicationError == ErrorNumber::CannotOpen && !sql.isEmpty()) {
            try {
                testfiles::open(hostile);
            } catch (const Error &error) {
                QVERIFY2(error.description().contains(QStringLiteral("It holds a ")),
                         qPrintable(error.description()));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
