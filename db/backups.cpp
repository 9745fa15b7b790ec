#include "db/backups.h"

#include "db/dao.h"
#include "db/database_file.h"
#include "db/engine_sql.h"
#include "db/errors.h"
#include "db/files.h"
#include "db/statements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex
{

namespace
{

constexpr int keptNewest = 10;
constexpr int keptDays = 7;
const QString stampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// NAME-yyyy-MM-dd-HHmmss[-N]-before-CHANGE.mdb, N for a second copy made
// within the same second.
QRegularExpression namePattern(const QString &path)
{
    return QRegularExpression(
        QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2}-\\d{6})(?:-(\\d+))?-before-([a-z]+)\\.mdb$")
            .arg(QRegularExpression::escape(QFileInfo(path).completeBaseName())));
}

// A name of a regular file of the user's own in folder; never a link.
bool ownFile(const QString &path, struct stat *st)
{
    return ::lstat(native(path).constData(), st) == 0 && S_ISREG(st->st_mode) &&
           st->st_uid == ::geteuid();
}

struct Found {
    AutomaticBackup backup;
    int second = 1;     // N of the name
    qint64 written = 0; // in nanoseconds: orders copies made within one second
};

QList<Found> findBackups(const QString &path)
{
    const QString folder = backupFolder(path);
    const QRegularExpression pattern = namePattern(path);
    QList<Found> found;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::NoSymLinks)) {
        const QRegularExpressionMatch match = pattern.match(name);
        struct stat st;
        const QString file = QDir(folder).filePath(name);
        if (!match.hasMatch() || !ownFile(file, &st))
            continue;
        const QDateTime made = QDateTime::fromString(match.captured(1), stampFormat);
        if (!made.isValid())
            continue;
        found.append({{name, file, made, match.captured(3), qint64(st.st_size)},
                      match.captured(2).isEmpty() ? 1 : match.captured(2).toInt(),
                      qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
    }
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
        if (a.backup.made != b.backup.made)
            return a.backup.made > b.backup.made;
        return a.second != b.second ? a.second > b.second : a.written > b.written;
    });
    return found;
}

// The folder the copies go into: made private when missing; a link, no
// folder or another user's folder in its place is refused, since a copy made
// there, and the old copies removed there, would be somewhere else.
void prepareFolder(const QString &folder)
{
    struct stat st;
    if (::lstat(native(folder).constData(), &st) != 0) {
        makeFolders(folder);
        if (::lstat(native(folder).constData(), &st) != 0)
            fail(ErrorNumber::DiskIoError,
                 QStringLiteral("Could not create the folder '%1'.").arg(folder));
    }
    QString why;
    if (S_ISLNK(st.st_mode))
        why = QStringLiteral("it is a symbolic link");
    else if (!S_ISDIR(st.st_mode))
        why = QStringLiteral("it is no folder");
    else if (st.st_uid != ::geteuid())
        why = QStringLiteral("it belongs to another user (uid %1)").arg(st.st_uid);
    if (!why.isEmpty())
        throw Error(ErrorNumber::NoPermission,
                    QStringLiteral("No backup was made in '%1': %2, and a copy is made only in a "
                                   "folder of your own. Move it out of the way (mv '%1' '%1.old') "
                                   "and try again.")
                        .arg(folder, why));
}

// Keeps the newest keptNewest and the newest of each of the last keptDays
// days; removes the other automatic backups, never following a link.
void prune(const QString &path)
{
    const QList<Found> found = findBackups(path); // newest first
    const QDate today = QDate::currentDate();
    QSet<QDate> dayKept;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const QDate day = found[i].backup.made.date();
        const bool recentDay = day > today.addDays(-keptDays) && !dayKept.contains(day);
        if (recentDay)
            dayKept.insert(day);
        if (i < keptNewest || recentDay)
            continue;
        struct stat st;
        if (ownFile(found[i].backup.path, &st))
            ::unlink(native(found[i].backup.path).constData());
    }
}

} // namespace

void backupPatientDatabase(const QString &path, const QString &dest)
{
    refuseExisting(dest);
    const PrivateFolder work;
    const QString copy = work.write(QStringLiteral("backup.mdb"), {});
    Snapshot(path).use([&](const QString &snapshot) {
        // The engine's online backup would write the pages decrypted;
        // exporting into an attached file keyed with the same password keeps
        // them encrypted, under a salt of the copy's own, so a log of the
        // original never reads as the copy's.
        const auto db = inspectPatientDatabase(snapshot);
        {
            Statement attach = db->prepare(Sql::engine::attachCopy);
            attach.bind(1, copy);
            attach.bind(2, engine::passwordOf(connectString()));
            attach.step();
        }
        db->execute(Sql::engine::cipherCompatibility(Sql::engine::copySchema));
        try {
            db->execute(Sql::engine::exportToCopy);
        } catch (...) {
            db->execute(Sql::engine::detachCopy);
            throw;
        }
        db->execute(Sql::engine::detachCopy);
    });
    // Only a copy that opens with the password and reads both tables is kept.
    naming(copy, dest, [&] {
        const auto check = DBEngine::instance().OpenDatabase(copy, true, true, connectString());
        check->OpenRecordset(Sql::patientTable(), dbOpenSnapshot, dbSQLPassThrough);
        check->OpenRecordset(Sql::measurementTable(), dbOpenSnapshot, dbSQLPassThrough);
    });
    NewFile file(dest);
    file.write(readFile(copy));
    file.linkAs(dest);
}

QString backupFolder(const QString &path)
{
    return QDir(QFileInfo(path).absolutePath()).filePath(QStringLiteral("backups"));
}

QString backUpBefore(const QString &path, const QString &change)
{
    const QString folder = backupFolder(path);
    prepareFolder(folder);
    const QString stamp = QDateTime::currentDateTime().toString(stampFormat);
    QString dest;
    for (int n = 1; dest.isEmpty(); ++n) {
        const QString name = QStringLiteral("%1-%2%3-before-%4.mdb")
                                 .arg(QFileInfo(path).completeBaseName(), stamp,
                                      n > 1 ? QStringLiteral("-%1").arg(n) : QString(), change);
        struct stat st;
        if (::lstat(native(QDir(folder).filePath(name)).constData(), &st) != 0 && errno == ENOENT)
            dest = QDir(folder).filePath(name);
    }
    backupPatientDatabase(path, dest);
    prune(path);
    return dest;
}

void backUpBeforeFirstSaveOfDay(const QString &path)
{
    const QList<Found> found = findBackups(path);
    if (found.isEmpty() || found.first().backup.made.date() != QDate::currentDate())
        backUpBefore(path, QStringLiteral("save"));
}

QList<AutomaticBackup> automaticBackups(const QString &path)
{
    QList<AutomaticBackup> backups;
    for (const Found &found : findBackups(path))
        backups.append(found.backup);
    return backups;
}

} // namespace merivex
