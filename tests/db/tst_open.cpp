// Opening the file: each failure with its own number, exclusive use against
// other processes (also after one is killed), and the connection settings.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/statements.h"

#include "other_process.h"
#include "patientfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using testfiles::errorNumber;

namespace
{

QString held()
{
    return QStringLiteral("opened");
}
QString inUse()
{
    return QStringLiteral("error %1").arg(ErrorNumber::FileInUse);
}

} // namespace

class TestOpen : public QObject
{
    Q_OBJECT

private slots:
    void failuresHaveTheirOwnNumbers()
    {
        QTemporaryDir dir;
        const QString good = testfiles::createDatabase(dir);
        auto openWith = [](const QString &path, const QString &connect) {
            return errorNumber(
                [&] { DBEngine::instance().OpenDatabase(path, true, false, connect); });
        };
        // Other passwords, folders, text files and cut files are met through
        // the windows in tst_db_faults and by merivex-db in tst_maintenance.
        QCOMPARE(openWith(good, connectString()), 0);
        QCOMPARE(openWith(good, QStringLiteral(";PWD=Vexo")), ErrorNumber::InvalidPassword);
        QCOMPARE(openWith(dir.filePath(QStringLiteral("missing.mdb")), connectString()),
                 ErrorNumber::FileNotFound);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.mdb"))));

        // An empty file would open as a new database and be given a schema.
        const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
        QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
        QCOMPARE(openWith(empty, connectString()), ErrorNumber::CannotOpen);
        QCOMPARE(QFileInfo(empty).size(), 0);
    }

    void storedTextIsEncrypted()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        const auto readable = [](const QString &file) {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            const QByteArray bytes = f.readAll();
            return bytes.contains("Unmistakable") || bytes.contains("SQLite format 3") ||
                   bytes.contains("Biodata");
        };
        {
            auto db = testfiles::open(path);
            testfiles::appendPatient(*db, QStringLiteral("Unmistakable Name"));
            // The log holds the new row until the last connection closes.
            QVERIFY(QFile::exists(path + QStringLiteral("-wal")));
            QVERIFY(!readable(path + QStringLiteral("-wal")));
        }
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        QVERIFY(!readable(path));
        QCOMPARE(testfiles::readAll(*testfiles::open(path), Sql::patientList()).size(), 1);
    }

    void secondOpenInSameProcess()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        auto first = testfiles::open(path);
        auto empty = first->OpenRecordset(Sql::patientList(), dbOpenSnapshot, dbSQLPassThrough);
        auto second = testfiles::open(path);
        QCOMPARE(testfiles::appendPatient(*second, QStringLiteral("Ann")), 1);
        QCOMPARE(testfiles::appendPatient(*first, QStringLiteral("Bob")), 2);
        QCOMPARE(testfiles::readAll(*second, Sql::patientList()).size(), 2);
        QCOMPARE(empty->RecordCount(), 0); // an earlier result is not changed
    }

    void otherProcessRefusedWhileHeldAndFreedAtItsEnd()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        auto first = testfiles::open(path);
        auto second = testfiles::open(path);
        {
            QElapsedTimer timer;
            timer.start();
            OtherProcess other(path);
            QCOMPARE(other.answer(), inUse());
            QVERIFY2(timer.elapsed() < 3000, "refused at once, not after waiting");
        }
        first.reset(); // the second connection still holds the file
        QCOMPARE(OtherProcess(path).answer(), inUse());
        second.reset();
        {
            OtherProcess other(path);
            QCOMPARE(other.answer(), held());
            QVERIFY(other.exitsAtEndOfInput());
        }
        // Once the other process has ended, the file is ours again.
        auto db = testfiles::open(path);
        QCOMPARE(testfiles::appendPatient(*db, QStringLiteral("After exit")), 1);
    }

    void noStaleLockAfterKillAndNothingLost()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        {
            auto db = testfiles::open(path);
            testfiles::appendPatient(*db, QStringLiteral("Kept"));
        }
        // The killed process stored a row that only its log holds.
        OtherProcess other(path, QStringLiteral("Stored before the kill"));
        QCOMPARE(other.answer(), held());
        QCOMPARE(errorNumber([&] { testfiles::open(path); }), ErrorNumber::FileInUse);
        other.killHard();
        QVERIFY(QFile::exists(path + QStringLiteral("-wal")));
        auto db = testfiles::open(path);
        QCOMPARE(testfiles::readAll(*db, Sql::patientList()),
                 (QList<QStringList>{
                     {QStringLiteral("Kept"), QStringLiteral("06/12/2026"), QStringLiteral("1")},
                     {QStringLiteral("Stored before the kill"), QStringLiteral("06/12/2026"),
                      QStringLiteral("2")}}));
    }

    // A statement keeps its connection, and the file held, for as long as it
    // lives, also past the last other holder; an inspecting one counts its
    // work in the connection's object all the while.
    void statementOutlivesItsHolders()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        const QString counting = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
            "SELECT count(*) FROM n");
        for (const bool inspecting : {false, true}) {
            Statement statement = [&] {
                return (inspecting ? inspectPatientDatabase(path) : testfiles::open(path))
                    ->prepare(counting);
            }();
            QVERIFY(statement.step());
            QCOMPARE(statement.column(0).toInt(), 20000);
            QCOMPARE(OtherProcess(path).answer(), inUse());
        }
        QCOMPARE(OtherProcess(path).answer(), held());
    }

    // Every connection commits through a write-ahead log synced in full.
    void journalSettingsOnEveryConnection()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        auto first = testfiles::open(path);
        auto second = testfiles::open(path);
        for (const auto &db : {first, second}) {
            QCOMPARE(db->value(QStringLiteral("PRAGMA journal_mode")).toString(),
                     QStringLiteral("wal"));
            QCOMPARE(db->value(QStringLiteral("PRAGMA synchronous")).toInt(), 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestOpen)
#include "tst_open.moc"
