// The merivex-db tool: creates an encrypted, empty, private file, never
// overwrites one, and says so with its exit status; a file it made earlier
// still opens.
#include "db/dao.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using dbtest::hashOf;
using dbtest::Run;
using dbtest::runTool;
using testfiles::errorNumber;

class TestTool : public QObject
{
    Q_OBJECT

private slots:
    // Without a path, beside the program.
    void createsAnEmptyPrivateDatabase()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("merivex-db"));
        QVERIFY(QFile::copy(QStringLiteral(MERIVEX_DB_TOOL), program));
        const Run run = runTool({QStringLiteral("create")}, program);
        QCOMPARE(run.exitCode, 0);
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        QVERIFY2(run.out.contains(path), qPrintable(run.out));
        QCOMPARE(QFile::permissions(path),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        auto db = testfiles::open(path);
        QCOMPARE(db->OpenRecordset(Sql::patientTable(), dbOpenDynaset)->RecordCount(), 0);
        QCOMPARE(db->OpenRecordset(Sql::measurementTable(), dbOpenDynaset)->RecordCount(), 0);
        QCOMPARE(testfiles::appendPatient(*db, QStringLiteral("First")), qint16(1));
    }

    // Installed system-wide (the marker beside the program), in the user's
    // $XDG_DATA_HOME/merivex, made private with its missing parents.
    void defaultsToTheUserFolderWhenInstalledSystemWide()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("merivex-db"));
        QVERIFY(QFile::copy(QStringLiteral(MERIVEX_DB_TOOL), program));
        QFile marker(dir.filePath(QStringLiteral("data-in-home")));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        const QString data = dir.filePath(QStringLiteral("home/data"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        const Run created = runTool({QStringLiteral("create")}, program);
        const Run checked = runTool({QStringLiteral("check")}, program);
        const QString path = data + QStringLiteral("/merivex/Merivex.mdb");
        QCOMPARE(created.exitCode, 0);
        QVERIFY2(checked.out.contains(path + QStringLiteral(": 0 patients, 0 measurements")),
                 qPrintable(checked.out + checked.err));
        const auto privateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(data + QStringLiteral("/merivex")), privateFolder);
        QCOMPARE(QFile::permissions(data), privateFolder);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Merivex.mdb"))));
    }

    void neverOverwrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        {
            auto db = testfiles::open(path);
            testfiles::appendPatient(*db, QStringLiteral("Kept"));
        }
        const QByteArray before = hashOf(path);
        const Run again = runTool({QStringLiteral("create"), path});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(QString::number(ErrorNumber::DatabaseExists)),
                 qPrintable(again.err));
        QCOMPARE(hashOf(path), before);
    }

    void failsWhereItCannotWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no/such/folder/Merivex.mdb"));
        const Run run = runTool({QStringLiteral("create"), path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!run.err.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    // A file made by the tool when this test was written: a later engine
    // with another default format would no longer open it.
    void fixtureFromTheTool()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        QVERIFY(QFile::copy(QStringLiteral(MERIVEX_DB_FIXTURE), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        auto db = testfiles::open(path);
        for (const auto &[sql, names] :
             {std::pair{Sql::patientTable(),
                        QStringList{"IdPatient", "Name", "Sex", "DateRegister", "BirthDate"}},
              std::pair{Sql::measurementTable(),
                        QStringList{"IdBMI", "IdPt", "Date", "Weight", "Height"}}}) {
            auto rs = db->OpenRecordset(sql, dbOpenDynaset);
            QCOMPARE(rs->RecordCount(), 0);
            QStringList found;
            for (int i = 0; i < names.size(); ++i)
                found.append(rs->Fields(i).Name());
            QCOMPARE(found, names);
            QCOMPARE(errorNumber([&] { rs->Fields(int(names.size())); }),
                     ErrorNumber::ItemNotFound);
        }
        const qint16 id = testfiles::appendPatient(*db, QStringLiteral("First"));
        testfiles::appendMeasurement(*db, id, QStringLiteral("06/12/26"), 90.0, 2.0);
        QCOMPARE(testfiles::readAll(*db, Sql::patientTrend(QString::number(id))),
                 (QList<QStringList>{{QStringLiteral("06/12/26"), QStringLiteral("22.5")}}));
    }
    void usage()
    {
        const Run help = runTool({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const char *text :
             {"create [PATH]", "check [PATH]", "export [PATH] --csv DIR [--force]",
              "backup [PATH] DEST", "Exit status", "3  the database is in use"})
            QVERIFY2(help.out.contains(QLatin1String(text)), text);
        for (const QStringList &args :
             {QStringList{}, QStringList{"remove"}, QStringList{"create", "a", "b"},
              QStringList{"export", "a.mdb"}, QStringList{"export", "--csv"},
              QStringList{"export", "--csv", "d", "--all"}, QStringList{"backup"},
              QStringList{"check", "a", "b"}, QStringList{"backup", "a", "b", "c"}}) {
            const Run bad = runTool(args);
            QCOMPARE(bad.exitCode, 2);
            QVERIFY(bad.err.contains(QStringLiteral("Usage")));
        }
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
