// What merivex-db creates: never through a link planted in its place, never
// wider than mode 0600 (folders 0700) whatever the umask, and what a killed
// run left is removed by the next run.
#include "patientfile.h"
#include "tool_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using dbtest::hashOf;
using dbtest::Run;
using dbtest::runTool;

namespace
{

int modeOf(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QString sample(const QTemporaryDir &dir)
{
    const QString path = testfiles::createDatabase(dir);
    testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Ann"));
    return path;
}

} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    // Another user's link where the tool would create a file, or beside the
    // patient file where the engine would open its log, index or journal:
    // refused, named, and nothing is written where it points. A pipe or
    // another user's file there is refused as well, at once.
    void plantedLinksAreRefused_data()
    {
        QTest::addColumn<QString>("link");    // made, relative to the folder
        QTest::addColumn<QString>("planted"); // "dangling", "link" (to victim.mdb), "pipe", "owned"
        QTest::addColumn<QStringList>("args"); // {"application"}: the application's own open
        QTest::newRow("backup DEST a dangling link")
            << "shared/merivex-backup.mdb"
            << "dangling" << QStringList{"backup", "@/Merivex.mdb", "@/shared/merivex-backup.mdb"};
        QTest::newRow("backup DEST a link to a file")
            << "shared/merivex-backup.mdb"
            << "link" << QStringList{"backup", "@/Merivex.mdb", "@/shared/merivex-backup.mdb"};
        QTest::newRow("backup into a folder whose Merivex.mdb is a dangling link")
            << "shared/Merivex.mdb"
            << "dangling" << QStringList{"backup", "@/Merivex.mdb", "@/shared"};
        QTest::newRow("export --force over a linked patients.csv")
            << "shared/patients.csv"
            << "link" << QStringList{"export", "@/Merivex.mdb", "--csv", "@/shared", "--force"};
        const QStringList import = {"import", "@/w.csv", "@/Merivex.mdb", "--patient", "1"};
        QTest::newRow("import beside a linked log") << "Merivex.mdb-wal"
                                                    << "link" << import;
        QTest::newRow("import beside a dangling journal link") << "Merivex.mdb-journal"
                                                               << "dangling" << import;
        QTest::newRow("delete-measurement beside a linked index")
            << "Merivex.mdb-shm"
            << "link" << QStringList{"delete-measurement", "1", "@/Merivex.mdb"};
        QTest::newRow("report beside a linked log")
            << "Merivex.mdb-wal"
            << "link" << QStringList{"report", "@/Merivex.mdb", "--patient", "1", "@/shared/r.pdf"};
        QTest::newRow("restore beside a linked log")
            << "Merivex.mdb-wal"
            << "link" << QStringList{"restore", "@/copy.mdb", "@/Merivex.mdb"};
        QTest::newRow("check beside a log that is a pipe")
            << "Merivex.mdb-wal"
            << "pipe" << QStringList{"check", "@/Merivex.mdb"};
        QTest::newRow("the application beside a linked log")
            << "Merivex.mdb-wal"
            << "link" << QStringList{"application"};
        QTest::newRow("the application beside another user's log")
            << "Merivex.mdb-wal"
            << "owned" << QStringList{"application"};
    }
    void plantedLinksAreRefused()
    {
        QFETCH(QString, link);
        QFETCH(QString, planted);
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const QString path = sample(dir);
        QVERIFY(QFile::copy(path, dir.filePath(QStringLiteral("copy.mdb"))));
        QFile csv(dir.filePath(QStringLiteral("w.csv")));
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write("Date,Weight\n2024-01-01,70\n") > 0);
        csv.close();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("shared")));
        const QString victim = dir.filePath(QStringLiteral("victim.mdb"));
        const QString planting = dir.filePath(link);
        if (planted == QLatin1String("link") || planted == QLatin1String("owned")) {
            QFile file(planted == QLatin1String("owned") ? planting : victim);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the other user's file");
        }
        if (planted == QLatin1String("owned") &&
            ::chown(QFile::encodeName(planting).constData(), 65534, 65534) != 0)
            QSKIP("Giving a file to another user takes root.");
        if (planted == QLatin1String("pipe"))
            QVERIFY(::mkfifo(QFile::encodeName(planting).constData(), 0600) == 0);
        if (planted == QLatin1String("link") || planted == QLatin1String("dangling"))
            QVERIFY(QFile::link(victim, planting));
        const QByteArray before = hashOf(victim);
        const int mode = modeOf(victim);

        QString err;
        if (args == QStringList{QStringLiteral("application")}) {
            try {
                testfiles::readAll(*testfiles::open(path), QStringLiteral("SELECT * FROM Biodata"));
            } catch (const merivex::Error &error) {
                QCOMPARE(error.number(), merivex::ErrorNumber::NoPermission);
                err = error.description();
            }
        } else {
            QStringList inDir; // "@" is the folder
            for (QString arg : args)
                inDir.append(arg.replace(QLatin1Char('@'), dir.path()));
            const Run run = runTool(inDir);
            QCOMPARE(run.exitCode, 1);
            err = run.err;
        }
        QVERIFY2(err.contains(planting), qPrintable(err));
        QCOMPARE(QFileInfo(planting).isSymLink(),
                 planted == QLatin1String("link") || planted == QLatin1String("dangling"));
        QCOMPARE(hashOf(victim), before);
        QCOMPARE(modeOf(victim), mode);
        QCOMPARE(QFile::exists(victim), planted == QLatin1String("link"));
        // Export replaces both files or neither.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("shared/history.csv"))));
    }

    void modesWhateverTheUmask()
    {
        QTemporaryDir dir;
        const QString path = sample(dir);
        const mode_t umask = ::umask(0); // inherited by the tool
        const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
        const QString csv = dir.filePath(QStringLiteral("new/csv"));
        const Run backup = runTool({QStringLiteral("backup"), path, copy});
        const Run exported =
            runTool({QStringLiteral("export"), path, QStringLiteral("--csv"), csv});
        const Run restored = runTool({QStringLiteral("restore"), copy, path});
        ::umask(umask);
        QCOMPARE(backup.exitCode, 0);
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(restored.exitCode, 0);
        for (const QString &file : {copy, path, QDir(csv).filePath(QStringLiteral("patients.csv")),
                                    QDir(csv).filePath(QStringLiteral("history.csv"))})
            QCOMPARE(modeOf(file), 0600);
        const QStringList aside =
            QDir(dir.path()).entryList({QStringLiteral("Merivex-before-restore-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(modeOf(dir.filePath(aside.first())), 0600);
        QCOMPARE(modeOf(csv), 0700);
        QCOMPARE(modeOf(dir.filePath(QStringLiteral("new"))), 0700);
    }

    // check, backup and report read a private copy: a file of mode 0400 in a
    // folder of mode 0500 is checked, backed up and reported on, and stays as
    // it was. As root, whom modes do not stop, the tool runs as nobody.
    void readOnlyFileInAReadOnlyFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ro"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(QStringLiteral("Merivex.mdb"));
        QVERIFY(QFile::rename(sample(dir), path));
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        const bool root = ::geteuid() == 0;
        for (const QString &p : {dir.path(), folder, path, out})
            QVERIFY(!root || ::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0400) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0500) == 0);
        const QByteArray before = hashOf(path);
        const auto tool = [&](const QStringList &args) {
            return root ? runTool(QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                              QStringLiteral(MERIVEX_DB_TOOL)} +
                                      args,
                                  QStringLiteral("setpriv"))
                        : runTool(args);
        };
        const Run check = tool({QStringLiteral("check"), path});
        QCOMPARE(check.exitCode, 0);
        QVERIFY2(check.out.contains(QStringLiteral("No problems found")), qPrintable(check.err));
        QCOMPARE(tool({QStringLiteral("backup"), path, out}).exitCode, 0);
        const Run report = tool({"report", path, "--patient", "1", out + QStringLiteral("/r.pdf")});
        QVERIFY2(report.exitCode == 0, qPrintable(report.err));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Merivex.mdb")});
        QCOMPARE(hashOf(path), before);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
    }

    // A killed run leaves a private folder in the temporary folder and, where
    // the file system has no unnamed files, a locked part file beside the
    // destination; the next run removes those whose maker is gone.
    void whatAKilledRunLeftIsRemoved()
    {
        QTemporaryDir dir;
        const QString path = sample(dir);
        const QString temp = dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temp + QStringLiteral("/merivex-db-Abc123")));
        QVERIFY(QDir().mkpath(temp + QStringLiteral("/merivex-db-InUse1")));
        QFile(temp + QStringLiteral("/merivex-db-Abc123/Merivex.mdb")).open(QIODevice::WriteOnly);
        const QString part = dir.filePath(QStringLiteral(".merivex-db-0123abcd.part"));
        QFile(part).open(QIODevice::WriteOnly);
        // A run still working holds its folder locked.
        const int inUse = ::open(QFile::encodeName(temp + QStringLiteral("/merivex-db-InUse1")),
                                 O_RDONLY | O_DIRECTORY);
        QVERIFY(inUse >= 0 && ::flock(inUse, LOCK_EX) == 0);

        const QByteArray tmpdir = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp));
        const Run run = runTool({QStringLiteral("backup"), path, dir.filePath("copy.mdb")});
        qputenv("TMPDIR", tmpdir);
        ::close(inUse);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("merivex-db-InUse1")});
        QVERIFY(!QFile::exists(part));
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
