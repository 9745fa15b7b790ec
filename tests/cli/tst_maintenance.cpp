// merivex-db check, export and backup against real encrypted files: a sound
// file passes, each kind of damage is found, the CSV keeps awkward names
// intact, the backup stays encrypted, and a file the application holds is
// never touched.
#include "cli/commands.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/statements.h"

#include "other_process.h"
#include "patientfile.h"
#include "tool_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using namespace merivex::tool;
using dbtest::hashOf;
using dbtest::Run;
using dbtest::runTool;

namespace
{

const QString checkCmd = QStringLiteral("check");

// Two patients, three measurements, made the way the windows make them.
QString sampleDatabase(const QTemporaryDir &dir)
{
    const QString path = testfiles::createDatabase(dir);
    auto db = testfiles::open(path);
    const qint16 ann = testfiles::appendPatient(*db, QStringLiteral("Ann"));
    const qint16 bob = testfiles::appendPatient(*db, QStringLiteral("Bob"));
    testfiles::appendMeasurement(*db, ann, QStringLiteral("06/12/26"), QStringLiteral("90"),
                                 QStringLiteral("2"));
    testfiles::appendMeasurement(*db, bob, QStringLiteral("01/02/99"), QStringLiteral("65"),
                                 QStringLiteral("1.70"));
    testfiles::appendMeasurement(*db, ann, QStringLiteral("07/12/26"), QStringLiteral("88.5"),
                                 QStringLiteral("2"));
    return path;
}

// Damage the windows cannot do, written past the layer.
void rawSql(const QString &path, const char *sql)
{
    auto db = testfiles::open(path);
    for (const QString &statement : QString::fromUtf8(sql).split(QStringLiteral("; ")))
        db->execute(statement);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void checkPassesASoundFile()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const Run run = runTool({checkCmd, path});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("2 patients, 3 measurements")),
                 qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("No problems found.")));
    }

    void checkFindsDamage_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("gap in patient ids")
            << QByteArray("INSERT INTO Biodata (IdPatient, Name) VALUES (5, 'Eve')")
            << QStringLiteral("IdPatient 5 where 3 was expected");
        QTest::newRow("IdPt without patient")
            << QByteArray("UPDATE BMIHistory SET IdPt = 9 WHERE IdBMI = 3")
            << QStringLiteral("IdBMI 3 names IdPt '9', which is no patient");
        QTest::newRow("height not a number")
            << QByteArray("UPDATE BMIHistory SET Height = 'tall' WHERE IdBMI = 2")
            << QStringLiteral("IdBMI 2 has height 'tall' and weight '65'");
        QTest::newRow("zero height")
            << QByteArray("UPDATE BMIHistory SET Height = 0 WHERE IdBMI = 1")
            << QStringLiteral("IdBMI 1 has height '0'");
    }
    void checkFindsDamage()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        rawSql(path, sql.constData());
        const Run run = runTool({checkCmd, path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.contains(expected), qPrintable(run.out));
        QVERIFY(run.out.contains(QStringLiteral("Problems found")));
    }

    void checkListsOnlyTheFirstFewOfAKind()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        rawSql(path, "UPDATE BMIHistory SET IdPt = 40");
        {
            auto db = testfiles::open(path);
            for (int i = 0; i < 7; ++i)
                testfiles::appendMeasurement(*db, 40, QStringLiteral("01/01/20"), 70, 1.8);
        }
        const CheckReport report = checkPatientDatabase(path);
        QCOMPARE(report.measurements, 10);
        QCOMPARE(report.problems.size(), 6);
        QCOMPARE(report.problems.last(), QStringLiteral("... and 5 more like these"));
    }

    void checkFindsATruncatedFile()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        {
            auto db = testfiles::open(path);
            for (int i = 0; i < 200; ++i)
                testfiles::appendPatient(*db, QStringLiteral("Patient with a long name %1").arg(i));
        }
        QVERIFY(QFileInfo(path).size() > 4096);
        // Whole pages lost at the end: page 1 still decrypts, the tree does not.
        QVERIFY(QFile::resize(path, 2048));
        const Run pages = runTool({checkCmd, path});
        QCOMPARE(pages.exitCode, 1);
        QVERIFY2(!pages.out.contains(QStringLiteral("No problems")), qPrintable(pages.out));
        // Cut inside a page: not a file the engine wrote.
        QVERIFY(QFile::resize(path, 1000));
        const Run cut = runTool({checkCmd, path});
        QCOMPARE(cut.exitCode, 1);
        QVERIFY2(cut.err.contains(QString::number(ErrorNumber::CannotOpen)), qPrintable(cut.err));
    }

    void refusesAFileTheApplicationHolds()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const QByteArray before = hashOf(path);
        OtherProcess holder(path);
        QCOMPARE(holder.answer(), QStringLiteral("opened"));
        const QString csv = dir.filePath(QStringLiteral("csv"));
        const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
        for (const QStringList &args : {QStringList{checkCmd, path},
                                        QStringList{QStringLiteral("export"), path, "--csv", csv},
                                        QStringList{QStringLiteral("backup"), path, copy}}) {
            const Run run = runTool(args);
            QCOMPARE(run.exitCode, 3);
            QVERIFY2(run.err.contains(QStringLiteral("3045")), qPrintable(run.err));
            QVERIFY(run.err.contains(QStringLiteral("in use")));
        }
        QCOMPARE(hashOf(path), before);
        QVERIFY(!QFile::exists(copy));
        QVERIFY(!QFile::exists(QDir(csv).filePath(QStringLiteral("history.csv"))));
    }

    void exportWritesBothTables()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const QString csv = dir.filePath(QStringLiteral("out"));
        const Run run = runTool({QStringLiteral("export"), path, QStringLiteral("--csv"), csv});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("2 patients")), qPrintable(run.out));
        QCOMPARE(readText(QDir(csv).filePath(QStringLiteral("patients.csv"))),
                 QStringLiteral("IdPatient,Name,Sex,DateRegister,BirthDate\r\n"
                                "1,Ann,Female,06/12/2026,05/01/1970\r\n"
                                "2,Bob,Female,06/12/2026,05/01/1970\r\n"));
        QCOMPARE(
            readText(QDir(csv).filePath(QStringLiteral("history.csv"))),
            QStringLiteral("IdBMI,IdPatient,Name,Date,DateStored,Height,Weight,BMI,BMIForAgeZ\r\n"
                           "1,1,Ann,2026-12-06,06/12/26,2,90,22.5,\r\n"
                           "2,2,Bob,1999-02-01,01/02/99,1.7,65,22.4913494809689,\r\n"
                           "3,1,Ann,2026-12-07,07/12/26,2,88.5,22.125,\r\n"));
    }

    // Names are stored exactly as typed: every awkward one must come back
    // from a CSV reader unchanged.
    void exportQuotesAwkwardTexts()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        const QString name = QStringLiteral(" O'Brien, \"Jo\"\nZoë ");
        {
            auto db = testfiles::open(path);
            const qint16 id = testfiles::appendPatient(*db, name);
            testfiles::appendMeasurement(*db, id, QStringLiteral("not a date"), 70, 1.75);
        }
        const ExportCounts counts =
            exportPatientDatabase(path, dir.filePath(QStringLiteral("out")), false);
        QCOMPARE(counts.patients, 1);
        QCOMPARE(counts.measurements, 1);
        const QString history = readText(dir.filePath(QStringLiteral("out/history.csv")));
        QVERIFY2(
            history.endsWith(QStringLiteral(
                "1,1,\" O'Brien, \"\"Jo\"\"\nZoë \",,not a date,1.75,70,22.8571428571429,\r\n")),
            qPrintable(history));
        QCOMPARE(csvField(QStringLiteral("a\rb")), QStringLiteral("\"a\rb\""));
    }

    void isoDates()
    {
        QCOMPARE(isoDate(QStringLiteral("5/1/1970")), QStringLiteral("1970-01-05"));
        QCOMPARE(isoDate(QStringLiteral("29/02/24")), QStringLiteral("2024-02-29"));
        QCOMPARE(isoDate(QStringLiteral("31/02/24")), QString());
        QCOMPARE(isoDate(QString()), QString());
    }

    void exportReplacesOnlyWithForce()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const QString csv = dir.filePath(QStringLiteral("out"));
        const QString patients = QDir(csv).filePath(QStringLiteral("patients.csv"));
        QCOMPARE(runTool({QStringLiteral("export"), path, QStringLiteral("--csv"), csv}).exitCode,
                 0);
        QFile marker(patients);
        QVERIFY(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
        marker.write("kept");
        marker.close();
        const Run refused = runTool({QStringLiteral("export"), path, QStringLiteral("--csv"), csv});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("already exists")), qPrintable(refused.err));
        QCOMPARE(readText(patients), QStringLiteral("kept"));
        const Run forced = runTool({QStringLiteral("export"), QStringLiteral("--csv"), csv,
                                    QStringLiteral("--force"), path});
        QCOMPARE(forced.exitCode, 0);
        QVERIFY(readText(patients).startsWith(QStringLiteral("IdPatient,")));
        QCOMPARE(QDir(csv).entryList(QDir::Files).size(), 2); // no temporary file left

        // A file whose history cannot be read leaves the earlier export whole.
        const QByteArray earlier = hashOf(patients);
        rawSql(path, "DROP TABLE BMIHistory");
        const Run broken = runTool({QStringLiteral("export"), path, QStringLiteral("--csv"), csv,
                                    QStringLiteral("--force")});
        QCOMPARE(broken.exitCode, 1);
        QCOMPARE(hashOf(patients), earlier);
    }

    void backupIsAnEncryptedCopy()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const QString copy = dir.filePath(QStringLiteral("backup.mdb"));
        const Run run = runTool({QStringLiteral("backup"), path, copy});
        QCOMPARE(run.exitCode, 0);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(16) != QByteArray("SQLite format 3\0", 16));
        file.close();
        QCOMPARE(QFile::permissions(copy) & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());
        for (const QString &connect : {QString(), QStringLiteral(";PWD=wrong")}) {
            const int error = testfiles::errorNumber(
                [&] { DBEngine::instance().OpenDatabase(copy, true, false, connect); });
            QCOMPARE(error, ErrorNumber::InvalidPassword);
        }
        auto original = testfiles::open(path);
        auto backup = testfiles::open(copy);
        QCOMPARE(testfiles::readAll(*backup, Sql::patientHistory(QStringLiteral("1"))),
                 testfiles::readAll(*original, Sql::patientHistory(QStringLiteral("1"))));
        QCOMPARE(testfiles::readAll(*backup, Sql::patientList()),
                 testfiles::readAll(*original, Sql::patientList()));
        QCOMPARE(testfiles::appendPatient(*backup, QStringLiteral("Next")), qint16(3));
        // Besides the two files only the open connections' journals.
        const QString name = QFileInfo(path).fileName();
        QStringList expected{name, name + QStringLiteral("-wal"), QStringLiteral("backup.mdb"),
                             QStringLiteral("backup.mdb-wal")};
        expected.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expected);

        // A folder as destination receives the application's file name.
        const QString folder = dir.filePath(QStringLiteral("backups"));
        QVERIFY(QDir().mkpath(folder));
        backup.reset();
        original.reset(); // the tool is refused while this process holds the file
        QCOMPARE(runTool({QStringLiteral("backup"), path, folder}).exitCode, 0);
        original = testfiles::open(path);
        auto inFolder = testfiles::open(QDir(folder).filePath(QStringLiteral("Merivex.mdb")));
        QCOMPARE(testfiles::readAll(*inFolder, Sql::patientList()),
                 testfiles::readAll(*original, Sql::patientList()));
    }

    void backupNeverOverwritesNorLeavesAHalfFile()
    {
        QTemporaryDir dir;
        const QString path = sampleDatabase(dir);
        const QString existing = dir.filePath(QStringLiteral("old.mdb"));
        QVERIFY(QFile::copy(path, existing));
        rawSql(path, "DELETE FROM BMIHistory");
        const QByteArray before = hashOf(existing);
        const Run refused = runTool({QStringLiteral("backup"), path, existing});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(hashOf(existing), before);

        const QString nowhere = dir.filePath(QStringLiteral("missing/backup.mdb"));
        const Run failed = runTool({QStringLiteral("backup"), path, nowhere});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(!failed.err.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
