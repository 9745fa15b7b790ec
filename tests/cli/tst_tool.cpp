// The merivex-db tool: creates an encrypted, empty, private file, never
// overwrites one, and says so with its exit status; a file it made earlier
// still opens.
#include "db/dao.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

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
    // $XDG_DATA_HOME/merivex, made private with its missing parents. A data
    // folder or file that another user owns or may write to is refused with
    // the fix, a relative XDG_DATA_HOME is ignored, no home is a plain
    // failure, and so is a folder that cannot be made.
    void userFolderWhenInstalledSystemWide_data()
    {
        QTest::addColumn<QString>("xdg");  // "@" is the test folder, "-" unset
        QTest::addColumn<QString>("home"); // likewise; "nobody": unset, run as nobody
        QTest::addColumn<QString>("planted");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QString>("file"); // the data file made, "" when none
        const QString made = QStringLiteral("@/home/data/merivex/Merivex.mdb");
        QTest::newRow("XDG_DATA_HOME") << "@/home/data"
                                       << "@/home"
                                       << "" << QStringList{"create"} << 0 << made << made;
        QTest::newRow("a relative XDG_DATA_HOME is ignored")
            << "data"
            << "@/home"
            << "" << QStringList{"create"} << 0 << "@/home/.local/share/merivex/Merivex.mdb"
            << "@/home/.local/share/merivex/Merivex.mdb";
        QTest::newRow("no home") << "-"
                                 << "nobody"
                                 << "" << QStringList{"create"} << 1 << "HOME is not set"
                                 << "";
        QTest::newRow("a data folder open to all")
            << "@/home/data"
            << "@/home"
            << "open folder" << QStringList{"check"} << 1 << "chmod 700 '@/home/data/merivex'"
            << "";
        QTest::newRow("another user's file")
            << "@/home/data"
            << "@/home"
            << "their file" << QStringList{"check"} << 1 << "belongs to user nobody"
            << "";
        QTest::newRow("a data folder that cannot be made, create")
            << "@/in-the-way/data"
            << "@/home"
            << "file in the way" << QStringList{"create"} << 1 << "error 3043"
            << "";
        QTest::newRow("a data folder that cannot be made, restore")
            << "@/in-the-way/data"
            << "@/home"
            << "file in the way" << QStringList{"restore", "@/backup.mdb"} << 1 << "error 3043"
            << "";
    }
    void userFolderWhenInstalledSystemWide()
    {
        QFETCH(QString, xdg);
        QFETCH(QString, home);
        QFETCH(QString, planted);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const auto at = [&](QString text) { return text.replace(QLatin1Char('@'), dir.path()); };
        const QString program = dir.filePath(QStringLiteral("merivex-db"));
        QVERIFY(QFile::copy(QStringLiteral(MERIVEX_DB_TOOL), program));
        QFile marker(dir.filePath(QStringLiteral("data-in-home")));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("home")));
        const QString folder = at(QStringLiteral("@/home/data/merivex"));
        if (planted == QLatin1String("open folder") || planted == QLatin1String("their file")) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7777)));
        }
        const bool root = ::geteuid() == 0;
        if (planted == QLatin1String("their file")) {
            QVERIFY(QFile::setPermissions(folder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            const QString theirs = testfiles::createDatabase(dir, QStringLiteral("theirs.mdb"));
            QVERIFY(QFile::rename(theirs, folder + QStringLiteral("/Merivex.mdb")));
            if (!root || ::chown(QFile::encodeName(folder + QStringLiteral("/Merivex.mdb")), 65534,
                                 65534) != 0)
                QSKIP("Giving a file to another user takes root.");
        }
        if (planted == QLatin1String("file in the way"))
            QVERIFY(QFile(dir.filePath(QStringLiteral("in-the-way"))).open(QIODevice::WriteOnly));

        const QByteArray savedXdg = qgetenv("XDG_DATA_HOME"), savedHome = qgetenv("HOME");
        const QString savedFolder = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_DATA_HOME", savedXdg);
            qputenv("HOME", savedHome);
            QDir::setCurrent(savedFolder);
        });
        for (const auto &[name, value] : {std::pair{"XDG_DATA_HOME", xdg}, std::pair{"HOME", home}})
            if (value == QLatin1String("-") || value == QLatin1String("nobody"))
                qunsetenv(name);
            else
                qputenv(name, QFile::encodeName(at(value)));
        QVERIFY(QDir::setCurrent(dir.path())); // where a relative XDG_DATA_HOME would lead
        QStringList inDir;
        for (const QString &arg : args)
            inDir.append(at(arg));
        Run run;
        if (home == QLatin1String("nobody")) {
            if (!root || ::chown(QFile::encodeName(dir.path()), 65534, 65534) != 0)
                QSKIP("Running as another user takes root.");
            run = runTool(QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program} +
                              inDir,
                          QStringLiteral("setpriv"));
        } else {
            run = runTool(inDir, program);
        }
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2((run.out + run.err).contains(at(says)), qPrintable(run.out + run.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("data"))));
        if (file.isEmpty()) {
            QVERIFY(!QFile::exists(at(QStringLiteral("@/home/data/merivex/Merivex.mdb"))) ||
                    planted == QLatin1String("their file"));
            return;
        }
        QVERIFY(QFile::exists(at(file)));
        const QString data = QFileInfo(at(file)).path();
        const auto privateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(data), privateFolder);
        QCOMPARE(QFile::permissions(QFileInfo(data).path()), privateFolder);
        const Run checked = runTool({QStringLiteral("check")}, program);
        QVERIFY2(checked.out.contains(at(file) + QStringLiteral(": 0 patients, 0 measurements")),
                 qPrintable(checked.out + checked.err));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("Merivex.mdb"))));
    }

    // A create cut off in the middle, here by the file-size limit, leaves
    // nothing under the name: the next create makes the file.
    void aCutCreateLeavesNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        const Run cut = runTool({"--fsize=1024", QStringLiteral(MERIVEX_DB_TOOL), "create", path},
                                QStringLiteral("prlimit"));
        QCOMPARE(cut.exitCode, -1); // killed by SIGXFSZ
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        QCOMPARE(runTool({QStringLiteral("check"), path}).exitCode, 0);
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
        QCOMPARE(testfiles::readAll(*db, Sql::patientHistory(QString::number(id))),
                 (QList<QStringList>{{QStringLiteral("06/12/26"), QStringLiteral("2"),
                                      QStringLiteral("90"), QStringLiteral("22.5")}}));
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
              QStringList{"check", "a", "b"}, QStringList{"backup", "a", "b", "c"},
              QStringList{"report", "--patient", "1", "--from", "2024-02-01", "--to", "2024-01-31",
                          "o.pdf"},
              QStringList{"report", "--patient", "1", "--from", "-2024-01-01", "o.pdf"},
              QStringList{"report", "-1", "o.pdf"}}) {
            const Run bad = runTool(args);
            QCOMPARE(bad.exitCode, 2);
            QVERIFY(bad.err.contains(QStringLiteral("Usage")));
            QVERIFY2(!bad.err.section(QLatin1Char('\n'), 0, 0).contains(QStringLiteral("..")),
                     qPrintable(bad.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
