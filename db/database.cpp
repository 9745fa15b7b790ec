#include "db/checked_files.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_collation.h"
#include "db/dates.h"
#include "db/engine_sql.h"
#include "db/files.h"
#include "db/sqlite.h"
#include "db/statements.h"

#include <openssl/evp.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QScopeGuard>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex
{

namespace
{

struct Closer {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Handle = std::unique_ptr<sqlite3, Closer>;

void run(sqlite3 *db, const QString &sql)
{
    Statement statement(db, sql);
    while (statement.step()) {
    }
}

// The file's key is PBKDF2-HMAC-SHA1 of the password over the 16-byte salt
// the file starts with, 64,000 rounds: tens of milliseconds that the engine
// would spend at every opening. The application opens the file once per
// window, so the key is derived once per salt and handed over ready-made.
constexpr int saltSize = 16;
constexpr int keyRounds = 64000;   // the engine's default for this format
constexpr int derivedKeySize = 32; // AES-256

// "x'<hex>'", the engine's form of a raw key.
QByteArray rawKeyFor(const QByteArray &password, const QByteArray &salt)
{
    static QMutex mutex;
    static QHash<QByteArray, QByteArray> known; // salt + password -> raw key
    const QByteArray id = salt + password;
    const QMutexLocker lock(&mutex);
    auto found = known.constFind(id);
    if (found != known.constEnd())
        return *found;
    QByteArray key(derivedKeySize, '\0');
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), keyRounds, EVP_sha1(), derivedKeySize,
                          reinterpret_cast<unsigned char *>(key.data())) != 1)
        throw Error(ErrorNumber::ReservedError,
                    QStringLiteral("Reserved error: the file's key could not be derived from "
                                   "the password (PBKDF2-HMAC-SHA1 failed in OpenSSL)."));
    const QByteArray raw = "x'" + key.toHex() + "'";
    known.insert(id, raw);
    return raw;
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

// The first read decrypts page 1: the engine reports a wrong key and a file
// that is no database alike, so the file's size tells them apart: every
// page of a file the engine wrote is a multiple of 512 bytes long. Unless
// inspecting, a file holding a trigger or a view is refused before any
// statement of the caller runs.
void checkKeyAndSchema(sqlite3 *db, const QString &path, qint64 size, bool inspecting)
{
    QString found;
    try {
        Statement check(db, Sql::engine::schemaCheck);
        if (check.step())
            found = check.column(0).toString() + QLatin1Char(' ') + check.column(1).toString();
    } catch (const Error &) {
        const int rc = sqlite3_errcode(db) & 0xff;
        if (rc == SQLITE_NOTADB && size > 0 && size % 512 == 0)
            fail(ErrorNumber::InvalidPassword, path);
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT)
            fail(ErrorNumber::CannotOpen, path);
        throw;
    }
    if (!found.isEmpty() && !inspecting)
        throw Error(ErrorNumber::CannotOpen,
                    QStringLiteral("Cannot open database '%1'. It holds a %2, which no file "
                                   "made by merivex-db has and which could change what the "
                                   "application's statements do; run merivex-db check on it.")
                        .arg(path, found));
}

// Progress callbacks come every workStep engine instructions; past
// workLimit of them the statement is interrupted. A full file's check,
// export or backup needs a few million instructions.
constexpr int workStep = 1000;
constexpr long workLimit = 200000;

int countWork(void *counter)
{
    return ++*static_cast<long *>(counter) > workLimit ? 1 : 0;
}

// The engine reports a file it may not read as one that is no database and
// opens one it may not write for reading only, and a folder that cannot take
// the log file fails the first read as a disk error. So the permissions are
// asked first (with the effective ids, as the engine's calls run), and a
// refusal is reported as such.
bool refused(const QString &path, int mode)
{
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), mode, AT_EACCESS) != 0 &&
           (errno == EACCES || errno == EPERM);
}

QString folderOf(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absolutePath());
}

// A keyed, checked connection to the existing file at path; an empty file
// is allowed only while it is being created.
// work, when given, counts the progress callbacks of an inspecting open.
// thisYear is the year the date order reads two-digit years in.
sqlite3 *openConnection(const QString &path, const QString &connect, bool exclusive, bool readOnly,
                        bool creating = false, long *work = nullptr,
                        int thisYear = dates::currentYear());

// A writer closing folds the log beside the file into it, even a log of
// another file (one copied over this file after a crash), whose pages then
// overwrite the file's. So before this run's first writer of a file, a
// reader, which writes nothing, reads every page through the log.
void checkLogBeside(const QString &path, const QString &connect, bool exclusive, long *work)
{
    static QMutex mutex;
    static QSet<QString> checked; // a log found later is this run's own
    const QMutexLocker lock(&mutex);
    const QString file = QFileInfo(path).canonicalFilePath(), index = path + QStringLiteral("-shm");
    if (!checked.contains(file) && QFileInfo::exists(path + QStringLiteral("-wal"))) {
        const bool hadIndex = QFileInfo::exists(index);
        const auto removeIndex = qScopeGuard([&] {
            if (!hadIndex)
                QFile::remove(index);
        });
        const Handle reader(openConnection(path, connect, exclusive, true, false, work));
        bool sound = false;
        try {
            Statement check(reader.get(), Sql::engine::quickCheck);
            sound = check.step() && check.column(0).toString() == QLatin1String("ok");
        } catch (const Error &) {
        }
        if (!sound)
            fail(ErrorNumber::CannotOpen, path);
    }
    checked.insert(file);
}

// A keyed, checked connection to the existing file at path; an empty file
// is allowed only while it is being created.
sqlite3 *openConnection(const QString &path, const QString &connect, bool exclusive, bool readOnly,
                        bool creating, long *work, int thisYear)
{
    files::guardEngineFiles();
    // Only stat the file: opening and closing it here would drop the locks
    // that other connections of this process hold on it.
    const QFileInfo info(path);
    if (!info.exists())
        fail(refused(path, F_OK) ? ErrorNumber::NoPermission : ErrorNumber::FileNotFound, path);
    files::checkRegularFile(path);
    files::checkCompanions(path);
    if (refused(path, readOnly ? R_OK : R_OK | W_OK))
        fail(ErrorNumber::NoPermission, path);
    if (!readOnly && refused(folderOf(path), W_OK | X_OK))
        fail(ErrorNumber::FolderNotWritable, folderOf(path));
    const qint64 size = info.size();
    // An empty file would open as a new database, a cut one as a shorter one.
    if (size == 0 && !creating)
        refuseEmpty(path);
    if (size % 512 != 0 && !creating)
        fail(ErrorNumber::CannotOpen, path);
    if (!readOnly && !creating)
        checkLogBeside(path, connect, exclusive, work);

    // unix-excl takes one write lock over the file's shared range at the
    // first read and keeps it until the process's last connection closes:
    // other processes are refused at once, connections of this process share
    // it, and the kernel drops it when the process dies, however it dies.
    // A connection lives on the one thread that opened it, so the engine's
    // per-call locking (every column read takes it) is left out.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_PRIVATECACHE | SQLITE_OPEN_NOMUTEX;
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags,
                                   exclusive ? "unix-excl" : nullptr);
    Handle db(raw);
    if (rc != SQLITE_OK) {
        files::raiseRefusal();
        if ((rc & 0xff) == SQLITE_CANTOPEN)
            fail(ErrorNumber::CannotOpen, path);
        raise(db.get(), rc);
    }
    sqlite3_extended_result_codes(db.get(), 1);
    // Another instance holds its lock for as long as it runs: waiting longer
    // only delays the message.
    sqlite3_busy_timeout(db.get(), 100);
    const QByteArray password = engine::passwordOf(connect).toUtf8();
    if (!password.isEmpty()) {
        const QByteArray salt = fileSalt(db.get());
        const QByteArray key = salt.isEmpty() ? password : rawKeyFor(password, salt);
        const int keyed = sqlite3_key(db.get(), key.constData(), int(key.size()));
        if (keyed != SQLITE_OK)
            raise(db.get(), keyed);
        run(db.get(), Sql::engine::cipherCompatibility());
    }
    dates::registerCollation(db.get(), thisYear);
    if (work)
        sqlite3_progress_handler(db.get(), workStep, countWork, work);
    checkKeyAndSchema(db.get(), path, size, work != nullptr);
    if (!readOnly && sqlite3_db_readonly(db.get(), "main") == 1)
        fail(ErrorNumber::ReadOnly); // the engine fell back to reading only
    // A reader writes nothing, and switching the journal is a write.
    if (!readOnly) {
        run(db.get(), Sql::engine::setJournalMode);
        run(db.get(), Sql::engine::setSynchronous);
    }
    return db.release();
}

} // namespace

QString engine::passwordOf(const QString &connect)
{
    for (const QString &part : connect.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals > 0 &&
            part.left(equals).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0)
            return part.mid(equals + 1);
    }
    return {};
}

Database::~Database()
{
    sqlite3_close_v2(m_handle);
}

std::shared_ptr<Recordset> Database::OpenRecordset(const QString &sql, int type, int options)
{
    return OpenRecordset(sql, {}, type, options);
}

std::shared_ptr<Recordset>
Database::OpenRecordset(const QString &sql, const QVariantList &parameters, int type, int options)
{
    if ((type != dbOpenDynaset && type != dbOpenSnapshot) || (options & ~dbSQLPassThrough))
        fail(ErrorNumber::InvalidArgument);
    const bool updatable = type == dbOpenDynaset && !(options & dbSQLPassThrough);
    // Owned at once; the constructor is the layer's own.
    return std::shared_ptr<Recordset>(
        new Recordset(shared_from_this(), sql, parameters, updatable));
}

void Database::BeginTrans()
{
    execute(Sql::engine::begin);
}
void Database::CommitTrans()
{
    execute(Sql::engine::commit);
}
void Database::Rollback()
{
    execute(Sql::engine::rollback);
}

Database::Version Database::version() const
{
    return {value(Sql::engine::dataVersion).toLongLong(), sqlite3_total_changes(m_handle),
            value(Sql::engine::schemaVersion).toLongLong()};
}

Statement Database::prepare(const QString &sql) const
{
    return Statement(m_handle, sql, shared_from_this());
}

void Database::execute(const QString &sql) const
{
    run(m_handle, sql);
}

QVariant Database::value(const QString &sql) const
{
    Statement statement(m_handle, sql);
    return statement.step() ? statement.column(0) : QVariant();
}

DBEngine &DBEngine::instance()
{
    static DBEngine engine;
    return engine;
}

std::shared_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connect)
{
    // The year is fixed per connection so one sort never sees two windows.
    const int year = dates::currentYear();
    return std::shared_ptr<Database>(new Database(
        openConnection(path, connect, exclusive, readOnly, false, nullptr, year), year));
}

bool Database::hasOwnSchema() const
{
    Statement check = prepare(Sql::ownSchema());
    check.bind(1, Sql::engine::schema.value(0));
    check.bind(2, Sql::engine::schema.value(1));
    return check.step() && check.columnInt64(0) == 1;
}

namespace
{

// Installed beside the programs by the system-wide package only.
bool dataInHome()
{
    return QFileInfo::exists(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/data-in-home"));
}

// Nothing is made in the root folder, nor relative to wherever the program
// happens to start.
bool usableBase(const QString &folder)
{
    return QDir::isAbsolutePath(folder) && QDir::cleanPath(folder) != QLatin1String("/");
}

QString described(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("not set")
                           : QLatin1Char('\'') + value + QLatin1Char('\'');
}

// $HOME, else the home the system's user list gives; each only when it is a
// folder that is there.
QString homeFolder()
{
    const QString fromEnvironment = QFile::decodeName(qgetenv("HOME"));
    const passwd *user = ::getpwuid(::geteuid());
    const QString fromSystem = user && user->pw_dir ? QFile::decodeName(user->pw_dir) : QString();
    for (const QString &home : {fromEnvironment, fromSystem})
        if (usableBase(home) && QFileInfo(home).isDir())
            return QDir::cleanPath(home);
    throw Error(ErrorNumber::InvalidPath,
                QStringLiteral("Merivex keeps your data in your home folder, and there is none to "
                               "use: HOME is %1 and the system names %2 as your home. Set HOME "
                               "to your own folder (export HOME=/home/NAME) and try again.")
                    .arg(described(fromEnvironment), described(fromSystem)));
}

// Installed system-wide, the data folder and the file in it are the user's
// alone: another user who owns either, or may write to it, could read and
// change the measurements or put a file of their own in its place.
void checkPrivate(const QString &path, bool folder)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return; // made private when it is made
    const QString what = folder ? QStringLiteral("data folder") : QStringLiteral("file");
    if (st.st_uid != ::geteuid()) {
        const passwd *owner = ::getpwuid(st.st_uid);
        throw Error(ErrorNumber::NoPermission,
                    QStringLiteral("The %1 '%2' belongs to %3, not to you: its owner can read "
                                   "and change your measurements. Move it out of the way (as "
                                   "its owner or as root: mv '%2' '%2.not-mine') and start "
                                   "again; Merivex then makes a %1 of your own.")
                        .arg(what, path,
                             owner
                                 ? QStringLiteral("user %1").arg(QFile::decodeName(owner->pw_name))
                                 : QStringLiteral("uid %1").arg(st.st_uid)));
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        throw Error(ErrorNumber::NoPermission,
                    QStringLiteral("The %1 '%2' can be changed by other users (mode %3): they "
                                   "could read and change your measurements. Make it yours "
                                   "alone: chmod %4 '%2'")
                        .arg(what, path,
                             QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')),
                             QLatin1String(folder ? "700" : "600")));
}

} // namespace

QString dataFolder()
{
    if (!dataInHome())
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    // The XDG rule: a relative XDG_DATA_HOME is ignored.
    QString dataHome = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (!usableBase(dataHome))
        dataHome = homeFolder() + QStringLiteral("/.local/share");
    return QDir::toNativeSeparators(QDir::cleanPath(dataHome) + QStringLiteral("/merivex"));
}

QString databasePath()
{
    const QString folder = dataFolder();
    const QString path = folder + QDir::separator() + QStringLiteral("Merivex.mdb");
    // A portable copy lives wherever its user put it, on a stick that may
    // show every file as 0777: it keeps no rule of ownership.
    if (dataInHome()) {
        checkPrivate(folder, true);
        checkPrivate(path, false);
    }
    return path;
}

void makeDataFolder()
{
    makeFolders(dataFolder());
}

void prepareUserDatabase()
{
    if (!dataInHome())
        return;
    makeDataFolder();
    try {
        createPatientDatabase(databasePath());
    } catch (const Error &error) {
        if (error.number() != ErrorNumber::DatabaseExists) // made on an earlier start
            throw;
    }
}

QString connectString()
{
    return QStringLiteral(";PWD=vexo");
}

std::shared_ptr<Database> inspectPatientDatabase(const QString &path)
{
    const int year = dates::currentYear();
    auto db = std::shared_ptr<Database>(new Database(nullptr, year));
    db->m_handle = openConnection(path, connectString(), true, false, false, &db->m_work, year);
    return db;
}

std::shared_ptr<Database> openPatientDatabase()
{
    return DBEngine::instance().OpenDatabase(databasePath(), true, false, connectString());
}

void refuseEmpty(const QString &path)
{
    for (const char *suffix : {"-journal", "-wal"}) {
        const QString left = path + QLatin1String(suffix);
        struct stat st;
        if (::lstat(QFile::encodeName(left).constData(), &st) == 0)
            throw Error(ErrorNumber::CannotOpen,
                        QStringLiteral("'%1' is empty: making it was cut off, and '%2' was left "
                                       "beside it. It holds no data. Remove both (rm '%1' '%2') "
                                       "and make it again: merivex-db create, or start the "
                                       "installed Merivex.")
                            .arg(path, left));
    }
    throw Error(ErrorNumber::CannotOpen,
                QStringLiteral("'%1' is empty (0 bytes): it holds no data and is no database. "
                               "Remove it (rm '%1') and make it again: merivex-db create, or "
                               "start the installed Merivex.")
                    .arg(path));
}

void createPatientDatabase(const QString &path, const QString &connect)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISREG(st.st_mode) && st.st_size == 0)
            refuseEmpty(path);
        fail(ErrorNumber::DatabaseExists, path);
    }
    if (refused(folderOf(path), W_OK | X_OK))
        fail(ErrorNumber::FolderNotWritable, folderOf(path));
    // Made whole in a private folder, then given its name in one step: a
    // create cut off at any moment leaves nothing under the name, and a file
    // that got the name meanwhile is never replaced.
    const PrivateFolder work;
    const QString made = work.write(QStringLiteral("new.mdb"), {});
    {
        const Handle db(openConnection(made, connect, true, false, true));
        run(db.get(), Sql::engine::begin);
        for (const QString &sql : Sql::engine::schema)
            run(db.get(), sql);
        run(db.get(), Sql::engine::commit);
    }
    NewFile file(path);
    file.write(readFile(made));
    file.linkAs(path);
}

} // namespace merivex
