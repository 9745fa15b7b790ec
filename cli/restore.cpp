// merivex-db restore: a backup in the place of the patient file. The file's
// write-ahead log belongs to the file it was written for: replayed onto a
// restored copy it reads as damage. So the previous file is kept aside whole,
// folded with its log or together with it, and its log never stays beside
// the restored copy. The file is held from the first look to the rename, so
// an application started meanwhile is refused instead of saving into a file
// about to be replaced, and so is a second restore.
#include "db/backups.h"
#include "db/checked_files.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/files.h"
#include "cli/commands.h"
#include "cli/maintenance_sql.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex::tool
{

namespace
{

const QString logSuffix = QStringLiteral("-wal");
const QString indexSuffix = QStringLiteral("-shm");

bool exists(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

[[noreturn]] void ioFailure(const QString &what)
{
    fail(ErrorNumber::DiskIoError, what + QStringLiteral(" (%1)").arg(std::strerror(errno)));
}

// The backup (with a log beside it) in the private folder, checked: opening
// it folds the log in, then the check reads every page.
QByteArray checkedBackup(const QString &backup, const PrivateFolder &work, CheckReport *report)
{
    // A file, or a pipe of one.
    const QString copy =
        work.write(QStringLiteral("backup.mdb"), files::readUserFile(backup, true));
    if (const std::optional<QByteArray> log = files::readCompanion(backup + logSuffix))
        work.write(QStringLiteral("backup.mdb") + logSuffix, *log);
    try {
        naming(copy, backup, [&] { *report = checkCopy(copy); });
    } catch (const Error &error) {
        throw Error(
            error.number(),
            QStringLiteral("The backup '%1' cannot be used: %2").arg(backup, error.description()));
    }
    if (!report->ok())
        throw Error(ErrorNumber::CannotOpen,
                    QStringLiteral("The backup '%1' fails the check: %2")
                        .arg(backup, report->problems.join(QStringLiteral("; "))));
    if (QFileInfo::exists(copy + logSuffix))
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("The log of the backup '%1' could not be folded in.").arg(backup));
    return readFile(copy);
}

// "" when the copy of the previous file at path reads sound with its log,
// which opening folds in; else why not.
QString soundness(const QString &copy, const QString &path)
{
    try {
        const auto db = inspectPatientDatabase(copy);
        Statement check = db->prepare(Sql::maintenance::integrityCheck);
        QStringList lines;
        while (check.step())
            lines.append(check.column(0).toString());
        if (lines != QStringList{QStringLiteral("ok")})
            return QStringLiteral("integrity check: ") + shown(lines.join(QStringLiteral("; ")));
    } catch (const Error &error) {
        QString description = error.description();
        return QStringLiteral("error %1: %2")
            .arg(error.number())
            .arg(description.replace(copy, path));
    }
    return QFileInfo::exists(copy + logSuffix) ? QStringLiteral("its log could not be folded in")
                                               : QString();
}

QString asideName(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString name = info.completeBaseName() + QStringLiteral("-before-restore-") + stamp +
                             (n > 1 ? QStringLiteral("-%1").arg(n) : QString()) + suffix;
        const QString candidate = QDir(info.absolutePath()).filePath(name);
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(candidate + logSuffix))
            return candidate;
    }
}

// Second names for the file and its log, as they are.
void keepAsIs(const QStringList &names, const QString &aside)
{
    QStringList made;
    for (const QString &name : names) {
        const QString second = name.endsWith(logSuffix) ? aside + logSuffix : aside;
        if (::link(QFile::encodeName(name).constData(), QFile::encodeName(second).constData()) !=
            0) {
            const int cause = errno;
            for (const QString &done : made)
                QFile::remove(done);
            errno = cause;
            ioFailure(QStringLiteral("Could not keep '%1' as '%2'.").arg(name, second));
        }
        made.append(second);
    }
    syncFolderOf(aside);
}

void removeIfThere(const QString &path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        ioFailure(QStringLiteral("Could not remove '%1'.").arg(path));
}

} // namespace

Restored restorePatientDatabase(const QString &backup, const QString &path)
{
    files::checkCompanions(path);
    std::optional<FileHold> hold;
    if (exists(path))
        hold.emplace(path);
    const PrivateFolder work;
    Restored restored;
    // Written in full before anything changes: a full disk stops it here.
    NewFile placed(path);
    placed.write(checkedBackup(backup, work, &restored.report));

    const bool hasLog = exists(path + logSuffix);
    if (hold || hasLog) {
        QString previous;
        if (hold) {
            previous = work.write(QStringLiteral("previous.mdb"), hold->contents());
            if (const std::optional<QByteArray> log = files::readCompanion(path + logSuffix))
                work.write(QStringLiteral("previous.mdb") + logSuffix, *log);
            restored.unreadable = soundness(previous, path);
            if (restored.unreadable.isEmpty())
                restored.backup = backUpBefore(path, QStringLiteral("restore"));
        } else {
            restored.unreadable = QStringLiteral("there was only its log");
        }
        restored.aside = asideName(path);
        if (restored.unreadable.isEmpty()) {
            NewFile aside(restored.aside);
            aside.write(readFile(previous));
            aside.linkAs(restored.aside);
        } else {
            restored.asideLog = hasLog;
            QStringList names;
            if (hold)
                names.append(path);
            if (hasLog)
                names.append(path + logSuffix);
            keepAsIs(names, restored.aside);
        }
    }
    // No log of the old file may be paired with the copy.
    removeIfThere(path + logSuffix);
    removeIfThere(path + indexSuffix);
    if (hold)
        placed.replace(path);
    else
        placed.linkAs(path);
    return restored;
}

int restore(const QString &backup, const QString &path)
{
    return run(QStringLiteral("%1 not restored").arg(native(path)), [&] {
        const Restored restored = restorePatientDatabase(backup, path);
        if (!restored.backup.isEmpty())
            print(QStringLiteral("Backed up first as %1.").arg(native(restored.backup)));
        if (restored.aside.isEmpty()) {
            print(QStringLiteral("There was no file at %1.").arg(native(path)));
        } else {
            QString kept =
                QStringLiteral("The previous file is kept as %1").arg(native(restored.aside));
            if (restored.asideLog)
                kept += QStringLiteral(" with its log %1").arg(native(restored.aside + logSuffix));
            if (!restored.unreadable.isEmpty())
                kept += (restored.asideLog ? QStringLiteral(", as they were: they do not read as "
                                                            "sound")
                                           : QStringLiteral(", as it was: it does not read as "
                                                            "sound")) +
                        QStringLiteral(" (%1)").arg(restored.unreadable);
            print(kept + QLatin1Char('.'));
        }
        print(QStringLiteral("Restored %1 from %2: %3, %4.")
                  .arg(native(path), native(backup), patients(restored.report.patients),
                       measurements(restored.report.measurements)));
        return int(Success);
    });
}

} // namespace merivex::tool
