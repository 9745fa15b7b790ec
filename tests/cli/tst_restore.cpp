// merivex-db restore right after a crash: a killed writer's log lies beside
// the file. The restored file must read whole, the old data must stay
// readable aside, and a restore that cannot go through changes nothing.
#include "db/dao.h"
#include "db/statements.h"
#include "cli/maintenance_sql.h"

#include "other_process.h"
#include "patientfile.h"
#include "tool_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace merivex;
using dbtest::hashOf;
using dbtest::Run;
using dbtest::runTool;

namespace
{

const QString restoreCmd = QStringLiteral("restore");

QStringList files(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files, QDir::Name);
}

// A writer appending measurements is killed once it reported two; returns
// the ids it reported. Its log stays beside the file.
QList<int> killWriterAfterTwoSaves(const QString &path)
{
    QProcess writer;
    writer.start(QStringLiteral(CRASH_WRITER), {path});
    QByteArray output;
    while (output.count('\n') < 3 && writer.waitForReadyRead(10000))
        output += writer.readAll();
    writer.kill();
    writer.waitForFinished();
    output += writer.readAll();
    QList<int> ids;
    const QList<QByteArray> lines = output.left(output.lastIndexOf('\n')).split('\n');
    for (const QByteArray &line : lines.mid(1)) // after the settings line
        ids.append(line.toInt());
    return ids;
}

QList<QStringList> measurementIds(const QString &path)
{
    auto db = testfiles::open(path);
    return testfiles::readAll(*db, Sql::maintenance::measurementIds);
}

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

private slots:
    void restoresOverAKilledWritersLog_data()
    {
        QTest::addColumn<bool>("copiedFirst");
        QTest::newRow("restore at once") << false;
        // The old advice: the log then belongs to neither file.
        QTest::newRow("after copying the backup over the file") << true;
    }

    void restoresOverAKilledWritersLog()
    {
        QFETCH(bool, copiedFirst);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        const QString backup = dir.filePath(QStringLiteral("backup.mdb"));
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Ann"));
        QCOMPARE(runTool({QStringLiteral("backup"), path, backup}).exitCode, 0);

        const QList<int> reported = killWriterAfterTwoSaves(path);
        QVERIFY2(reported.size() >= 2, qPrintable(QString::number(reported.size())));
        QVERIFY(QFile::exists(path + QStringLiteral("-wal")));
        if (copiedFirst) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::copy(backup, path));
        }
        const QByteArray oldFile = hashOf(path), oldLog = hashOf(path + QStringLiteral("-wal"));
        if (copiedFirst) {
            // Opening the pair the way the application does refuses it and
            // leaves both as they were.
            QCOMPARE(runTool({QStringLiteral("check"), path}).exitCode, 1);
            QCOMPARE(hashOf(path), oldFile);
            QCOMPARE(hashOf(path + QStringLiteral("-wal")), oldLog);
        }

        const Run run = runTool({restoreCmd, backup, path});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("1 patient, 0 measurements")),
                 qPrintable(run.out));
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
        QCOMPARE(QFile::permissions(path),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        const Run check = runTool({QStringLiteral("check"), path});
        QCOMPARE(check.exitCode, 0);
        QVERIFY2(check.out.contains(QStringLiteral("1 patient, 0 measurements")),
                 qPrintable(check.out));

        // The old file is kept beside it under a dated name, and nothing else.
        const QStringList aside = files(dir).filter(
            QRegularExpression(QStringLiteral("^Merivex-before-restore-.*\\.mdb")));
        QCOMPARE(files(dir).size(), 2 + aside.size());
        const QString kept = dir.filePath(aside.value(0));
        QVERIFY2(run.out.contains(QDir::toNativeSeparators(kept)), qPrintable(run.out));
        if (copiedFirst) {
            // Kept as it was, the log under the matching name.
            QCOMPARE(aside.size(), 2);
            QCOMPARE(hashOf(kept), oldFile);
            QCOMPARE(hashOf(kept + QStringLiteral("-wal")), oldLog);
        } else {
            // Folded with its log: every reported row is there, in one file.
            QCOMPARE(aside.size(), 1);
            QCOMPARE(runTool({QStringLiteral("check"), kept}).exitCode, 0);
            const QList<QStringList> ids = measurementIds(kept);
            for (int id : reported)
                QVERIFY(ids.contains(QStringList{QString::number(id)}));
        }
    }

    void refusesAndChangesNothing_data()
    {
        QTest::addColumn<QString>("backupName");
        QTest::addColumn<QByteArray>("backupBytes");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("held by the application") << "backup.mdb" << QByteArray() << 3 << "3045";
        QTest::newRow("missing backup") << "missing.mdb" << QByteArray() << 1 << "3024";
        QTest::newRow("no database, or another password")
            << "junk.mdb" << QByteArray(4096, 'x') << 1 << "3031";
        QTest::newRow("torn backup") << "torn.mdb" << QByteArray("torn") << 1 << "backup";
        QTest::newRow("no backup named") << "" << QByteArray() << 2 << "Usage";
    }

    void refusesAndChangesNothing()
    {
        QFETCH(QString, backupName);
        QFETCH(QByteArray, backupBytes);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        QCOMPARE(runTool({QStringLiteral("backup"), path, dir.filePath("backup.mdb")}).exitCode, 0);
        testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Ann"));
        const QString backup = dir.filePath(backupName);
        if (backupName == QLatin1String("torn.mdb")) {
            QVERIFY(QFile::copy(dir.filePath("backup.mdb"), backup));
            QVERIFY(QFile::resize(backup, QFileInfo(backup).size() - 1024));
        } else if (!backupBytes.isEmpty()) {
            QFile file(backup);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(backupBytes);
        }
        std::optional<OtherProcess> holder;
        if (exitCode == 3)
            QCOMPARE(holder.emplace(path).answer(), QStringLiteral("opened"));
        const QStringList before = files(dir);
        const QByteArray hash = hashOf(path);
        const Run run = runTool(backupName.isEmpty() ? QStringList{restoreCmd}
                                                     : QStringList{restoreCmd, backup, path});
        holder.reset();
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(files(dir), before);
        QCOMPARE(hashOf(path), hash);
    }

    // restore holds the file from its first look to the rename. Reading its
    // backup from a pipe stops it in the middle: the application started
    // then (the lock holder, saving a patient) and a second restore are both
    // refused, so no save is lost and each report describes its own file.
    void holdsTheFileForTheWholeRestore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        const QString backup = dir.filePath(QStringLiteral("backup.mdb"));
        const QString pipe = dir.filePath(QStringLiteral("pipe.mdb"));
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Ann"));
        QCOMPARE(runTool({QStringLiteral("backup"), path, backup}).exitCode, 0);
        testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Bob"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);

        QProcess first;
        first.start(QStringLiteral(MERIVEX_DB_TOOL), {restoreCmd, pipe, path});
        // The pipe opens for writing once restore reads it, past its first look.
        int writer = -1;
        for (int i = 0; i < 1000 && writer < 0; ++i) {
            writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
            if (writer < 0)
                QTest::qWait(10);
        }
        QVERIFY(writer >= 0);
        OtherProcess application(path, QStringLiteral("Saved meanwhile"));
        QCOMPARE(application.answer(), QStringLiteral("error 3045"));
        const Run second = runTool({restoreCmd, backup, path});
        QCOMPARE(second.exitCode, 3);
        QVERIFY2(second.err.contains(QStringLiteral("in use")), qPrintable(second.err));

        QFile bytes(backup);
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        const QByteArray data = bytes.readAll();
        QCOMPARE(::write(writer, data.constData(), size_t(data.size())), ssize_t(data.size()));
        ::close(writer);
        QVERIFY(first.waitForFinished(30000));
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(first.readAllStandardOutput().contains("1 patient, 0 measurements"));
        auto db = testfiles::open(path);
        QCOMPARE(testfiles::readAll(*db, Sql::patientList()),
                 (QList<QStringList>{{"Ann", "06/12/2026", "1"}}));
    }

    // Import and delete-measurement back the file up first, into backups/
    // beside it: listed newest first, one restored by its name undoes the
    // import. Each copy keeps the newest 10 and the newest of each of the
    // last 7 days; what else is there is left alone.
    void automaticBackups()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Merivex.mdb"));
        QCOMPARE(runTool({QStringLiteral("create"), path}).exitCode, 0);
        testfiles::appendPatient(*testfiles::open(path), QStringLiteral("Ann"));
        const QString csv = dir.filePath(QStringLiteral("w.csv"));
        QFile history(csv);
        QVERIFY(history.open(QIODevice::WriteOnly) &&
                history.write("Date,Weight\n2024-01-01,70\n2024-01-02,71\n") > 0);
        history.close();
        const Run imported = runTool({"import", csv, path, "--patient", "1", "--height", "1.7"});
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(runTool({"delete-measurement", "2", path}).exitCode, 0);
        const Run listed = runTool({"backups", path});
        QCOMPARE(listed.exitCode, 0);
        const QStringList lines = listed.out.split(QLatin1Char('\n'));
        const QRegularExpression line(
            QStringLiteral("^  (Merivex-\\d{4}-\\d\\d-\\d\\d-\\d{6}-before-(\\w+)\\.mdb)  "));
        QCOMPARE(line.match(lines.value(1)).captured(2), QStringLiteral("delete"));
        const QString beforeImport = line.match(lines.value(2)).captured(1);
        QVERIFY2(imported.out.contains(QStringLiteral("merivex-db restore ") + beforeImport),
                 qPrintable(imported.out));
        const QString folder = dir.filePath(QStringLiteral("backups"));
        QCOMPARE(QFile::permissions(QDir(folder).filePath(beforeImport)),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        const QDate today = QDate::currentDate();
        QStringList planted, kept;
        // Two a day, 1 to 9 days ago.
        for (int daysAgo = 1; daysAgo <= 9; ++daysAgo)
            for (const char *time : {"100000", "110000"}) {
                const QString name =
                    QStringLiteral("Merivex-%1-%2-before-save.mdb")
                        .arg(today.addDays(-daysAgo).toString(QStringLiteral("yyyy-MM-dd")),
                             QLatin1String(time));
                QFile(QDir(folder).filePath(name)).open(QIODevice::WriteOnly);
                planted.append(name);
            }
        QFile(QDir(folder).filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
        QCOMPARE(runTool({restoreCmd, beforeImport, path}).exitCode, 0);
        QCOMPARE(measurementIds(path), QList<QStringList>());
        // Today's 3 (import, delete, restore) and the 7 newest planted are
        // the newest 10; the newest of 5 and 6 days ago are kept too.
        kept = planted.mid(0, 6) + QStringList{planted[7], planted[9], planted[11]};
        QStringList left = QDir(folder).entryList(QDir::Files);
        QCOMPARE(left.size(), 3 + kept.size() + 1);
        for (const QString &name : kept + QStringList{beforeImport, QStringLiteral("notes.txt")})
            QVERIFY2(left.contains(name), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
