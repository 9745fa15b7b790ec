#include "db/file_hold.h"

#include "db/checked_files.h"
#include "db/errors.h"
#include "db/sqlite.h"
#include "db/statement.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace merivex
{

// The engine's unix-excl layer, as the application opens the file: the
// first lock of a writer takes one write lock over the file's lock range and
// keeps it until the process's last handle of the file closes. Taking that
// lock directly, before a page is read, holds files that are no database
// too. A file the process may only read gets a read lock, which keeps a
// writer out just the same.
FileHold::FileHold(const QString &path) : m_path(path)
{
    files::guardEngineFiles();
    const QFileInfo info(path);
    if (!info.exists())
        fail(ErrorNumber::FileNotFound, path);
    files::checkRegularFile(path);
    // The engine would report a file it may not read as no database.
    if (faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
        fail(ErrorNumber::NoPermission, path);
    const int rc = sqlite3_open_v2(
        QFile::encodeName(path).constData(), &m_db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX, "unix-excl");
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        fail(ErrorNumber::CannotOpen, path);
    }
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &m_file) != SQLITE_OK ||
        !m_file || !m_file->pMethods) {
        sqlite3_close_v2(m_db);
        fail(ErrorNumber::CannotOpen, path);
    }
    const int locked = m_file->pMethods->xLock(m_file, SQLITE_LOCK_SHARED);
    if (locked != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        if ((locked & 0xff) == SQLITE_BUSY)
            fail(ErrorNumber::FileInUse, path);
        fail(ErrorNumber::DiskIoError, QStringLiteral("Could not lock '%1'.").arg(path));
    }
}

FileHold::~FileHold()
{
    // Closing the engine's handle releases the lock with the last handle.
    sqlite3_close_v2(m_db);
}

QByteArray FileHold::contents() const
{
    sqlite3_int64 size = 0;
    if (m_file->pMethods->xFileSize(m_file, &size) != SQLITE_OK || size < 0 ||
        size > std::numeric_limits<int>::max())
        fail(ErrorNumber::DiskIoError, QStringLiteral("Could not read '%1'.").arg(m_path));
    QByteArray bytes(qsizetype(size), '\0');
    if (size > 0 && m_file->pMethods->xRead(m_file, bytes.data(), int(size), 0) != SQLITE_OK)
        fail(ErrorNumber::DiskIoError, QStringLiteral("Could not read '%1'.").arg(m_path));
    return bytes;
}

} // namespace merivex
