#include "db/connection.h"

#include "db/date_order.h"
#include "db/engine_sql.h"
#include "db/failures.h"
#include "db/key_derivation.h"
#include "db/sqlite.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace merivex::engine
{

namespace
{

struct Closer {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

// Every page of a file the engine wrote is a multiple of 512 bytes long.
bool looksLikePages(qint64 size)
{
    return size > 0 && size % 512 == 0;
}

// The first read decrypts page 1: the engine reports a wrong key and a file
// that is no database alike, so the file's size tells them apart.
void checkKey(sqlite3 *db, const QString &path, qint64 size)
{
    const QByteArray sql = Sql::engine::keyCheck().toUtf8();
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    switch (rc & 0xff) {
    case SQLITE_OK:
        return;
    case SQLITE_NOTADB:
        if (looksLikePages(size))
            fail::invalidPassword();
        fail::cannotOpen(path);
    case SQLITE_CORRUPT:
        fail::cannotOpen(path);
    default:
        raise(db, rc);
    }
}

// The salt the file starts with, read through the engine's own handle of
// the file (a second handle would drop this process's locks when closed);
// empty for a file too short to have one, which the engine then treats as
// new or rejects.
QByteArray fileSalt(sqlite3 *db)
{
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return {};
    QByteArray salt(saltSize, '\0');
    if (file->pMethods->xRead(file, salt.data(), saltSize, 0) != SQLITE_OK)
        return {};
    return salt;
}

} // namespace

QString passwordOf(const QString &connect)
{
    for (const QString &part : connect.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals > 0 &&
            part.left(equals).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0)
            return part.mid(equals + 1);
    }
    return {};
}

sqlite3 *openConnection(const QString &path, const QString &password, const OpenOptions &options)
{
    // Only stat the file: opening and closing it here would drop the locks
    // that other connections of this process hold on it.
    const QFileInfo info(path);
    if (!info.exists())
        fail::fileNotFound(path);
    if (!info.isFile())
        fail::cannotOpen(path);
    const qint64 size = info.size();
    if (size == 0 && !options.allowEmptyFile) // would open as a new, empty database
        fail::cannotOpen(path);

    // unix-excl takes one write lock over the file's shared range at the
    // first read and keeps it until the process's last connection closes:
    // other processes are refused at once, connections of this process share
    // it, and the kernel drops it when the process dies, however it dies.
    // A connection lives on the one thread that opened it, so the engine's
    // per-call locking (every column read takes it) is left out.
    const int flags = (options.readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags,
                                   options.exclusive ? "unix-excl" : nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_CANTOPEN)
            fail::cannotOpen(path);
        raise(db.get(), rc);
    }
    sqlite3_extended_result_codes(db.get(), 1);
    // Another instance holds its lock for as long as it runs: waiting longer
    // only delays the message.
    sqlite3_busy_timeout(db.get(), 100);
    if (!password.isEmpty()) {
        const QByteArray salt = fileSalt(db.get());
        const QByteArray key =
            salt.isEmpty() ? password.toUtf8() : rawKeyFor(password.toUtf8(), salt);
        const int keyed = sqlite3_key(db.get(), key.constData(), int(key.size()));
        if (keyed != SQLITE_OK)
            raise(db.get(), keyed);
    }
    dates::registerCollation(db.get());
    checkKey(db.get(), path, size);
    if (!options.readOnly && sqlite3_db_readonly(db.get(), "main") == 1)
        fail::readOnly(); // the engine fell back to reading only
    // A reader writes nothing, and switching the journal is a write.
    if (!options.readOnly) {
        execute(db.get(), Sql::engine::setJournalMode());
        execute(db.get(), Sql::engine::setSynchronous());
    }
    return db.release();
}

} // namespace merivex::engine
