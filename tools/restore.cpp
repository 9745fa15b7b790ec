#include "tools/restore.h"

#include "db/dao.h"
#include "db/database_file.h"
#include "db/maintenance_sql.h"
#include "db/values.h"
#include "tools/maintenance.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace merivex::tool
{

namespace
{

const QString logSuffix = QStringLiteral("-wal");
const QString indexSuffix = QStringLiteral("-shm");

[[noreturn]] void ioFailure(const QString &what)
{
    throw Error(ErrorNumber::DiskIoError, what + QStringLiteral(" (%1)").arg(std::strerror(errno)));
}

void copyInto(const QString &source, QFile &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(ErrorNumber::DiskIoError,
                    QStringLiteral("Could not read '%1': %2.").arg(source, in.errorString()));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (target.write(chunk) != chunk.size())
            throw Error(ErrorNumber::DiskIoError,
                        QStringLiteral("Could not write '%1': %2.")
                            .arg(target.fileName(), target.errorString()));
    }
    if (in.error() != QFile::NoError || !target.flush() || ::fsync(target.handle()) != 0)
        ioFailure(QStringLiteral("Could not copy '%1' to '%2'.").arg(source, target.fileName()));
}

// The backup's copy beside the patient file, readable by its owner only;
// removed with its log unless it was put in place.
class Copy
{
public:
    Copy(const QString &backup, const QString &path)
        : m_file(path + QStringLiteral(".restore-XXXXXX"))
    {
        if (!m_file.open())
            throw Error(ErrorNumber::DiskIoError, QStringLiteral("Could not create a file beside "
                                                                 "'%1': %2.")
                                                      .arg(path, m_file.errorString()));
        copyInto(backup, m_file);
        m_file.close();
        // A backup opened since it was made may keep rows in its log.
        if (QFileInfo::exists(backup + logSuffix)) {
            QFile log(name() + logSuffix);
            if (!log.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                          QFile::ReadOwner | QFile::WriteOwner))
                throw Error(ErrorNumber::DiskIoError, QStringLiteral("Could not create '%1': %2.")
                                                          .arg(log.fileName(), log.errorString()));
            copyInto(backup + logSuffix, log);
        }
    }
    ~Copy()
    {
        if (!m_placed) {
            QFile::remove(name() + logSuffix);
            QFile::remove(name() + indexSuffix);
        }
    }
    Copy(const Copy &) = delete;
    Copy &operator=(const Copy &) = delete;

    QString name() const { return m_file.fileName(); }

    void placeAt(const QString &path)
    {
        if (std::rename(QFile::encodeName(name()).constData(),
                        QFile::encodeName(path).constData()) != 0)
            ioFailure(QStringLiteral("Could not rename '%1' to '%2'.").arg(name(), path));
        m_file.setAutoRemove(false);
        m_placed = true;
    }

private:
    QTemporaryFile m_file;
    bool m_placed = false;
};

// Opening the copy the way the application does folds its log into it;
// the check then reads every page.
void verify(const Copy &copy, const QString &backup)
{
    CheckReport report;
    try {
        report = checkPatientDatabase(copy.name());
    } catch (const Error &error) {
        QString description = error.description();
        throw Error(error.number(), QStringLiteral("The backup '%1' cannot be used: %2")
                                        .arg(backup, description.replace(copy.name(), backup)));
    }
    if (!report.ok())
        throw Error(ErrorNumber::CannotOpen,
                    QStringLiteral("The backup '%1' fails the check: %2")
                        .arg(backup, report.problems.join(QStringLiteral("; "))));
    if (QFileInfo::exists(copy.name() + logSuffix))
        throw Error(
            ErrorNumber::DiskIoError,
            QStringLiteral("The log of the backup '%1' could not be folded in.").arg(backup));
    syncFile(copy.name());
}

// How the file at path reads, without changing it: a read-only open does not
// fold the log in, so a log that belongs to another file cannot spoil it.
// Raises Error 3045 while another process holds it; otherwise returns ""
// when the engine finds every page sound, else why not.
QString probe(const QString &path)
{
    const bool hadIndex = QFileInfo::exists(path + indexSuffix);
    QString verdict;
    try {
        const auto db = DBEngine::instance().OpenDatabase(path, true, true, connectString());
        const auto rows =
            db->OpenRecordset(Sql::maintenance::integrityCheck, dbOpenSnapshot, dbSQLPassThrough);
        QStringList lines;
        for (; !rows->AtEOF(); rows->MoveNext())
            lines.append(displayText(rows->Fields(0).Value()));
        if (lines != QStringList{QStringLiteral("ok")})
            verdict = QStringLiteral("integrity check: ") + lines.join(QStringLiteral("; "));
    } catch (const Error &error) {
        if (error.number() == ErrorNumber::FileInUse)
            throw;
        verdict = QStringLiteral("error %1: %2").arg(error.number()).arg(error.description());
    }
    // A reader keeps its log index in a file of its own.
    if (!hadIndex)
        QFile::remove(path + indexSuffix);
    return verdict;
}

// Closing a writable connection, the way the application opens it, folds a
// sound log into the file and removes it.
void fold(const QString &path)
{
    DBEngine::instance().OpenDatabase(path, true, false, connectString());
}

// "Merivex.mdb" -> "Merivex-before-restore-2026-12-07-153000.mdb" in the same
// folder, a name that neither a file nor a log has yet.
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

// Second names for the file and its log: until the copy replaces path, both
// pairs are whole, the old one under either name.
void keepAside(const QString &path, const QString &aside, bool withLog)
{
    QStringList made;
    for (const QString &suffix : withLog ? QStringList{QString(), logSuffix} : QStringList{{}}) {
        if (::link(QFile::encodeName(path + suffix).constData(),
                   QFile::encodeName(aside + suffix).constData()) != 0) {
            const int cause = errno;
            for (const QString &name : made)
                QFile::remove(name);
            errno = cause;
            ioFailure(
                QStringLiteral("Could not keep '%1' as '%2'.").arg(path + suffix, aside + suffix));
        }
        made.append(aside + suffix);
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
    if (!QFileInfo(backup).isFile())
        throw Error(ErrorNumber::FileNotFound,
                    QStringLiteral("Could not find file '%1'.").arg(backup));
    Copy copy(backup, path);
    verify(copy, backup);

    Restored restored;
    const bool hasFile = QFileInfo::exists(path);
    bool hasLog = QFileInfo::exists(path + logSuffix);
    if (hasFile || hasLog) {
        restored.unreadable = hasFile ? probe(path) : QStringLiteral("there was only its log");
        if (restored.unreadable.isEmpty() && hasLog) {
            fold(path);
            hasLog = QFileInfo::exists(path + logSuffix);
        }
        restored.aside = asideName(path);
        restored.asideLog = hasLog;
        if (hasFile)
            keepAside(path, restored.aside, hasLog);
        else
            keepAside(path + logSuffix, restored.aside + logSuffix, false);
    }
    // No log of the old file may be paired with the copy.
    removeIfThere(path + logSuffix);
    removeIfThere(path + indexSuffix);
    copy.placeAt(path);
    syncFolderOf(path);
    return restored;
}

} // namespace merivex::tool
