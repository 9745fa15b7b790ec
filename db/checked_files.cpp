#include "db/checked_files.h"

#include "db/errors.h"
#include "db/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex::files
{

namespace
{

const char *const companionSuffixes[] = {"-wal", "-shm", "-journal"};

// The database a companion's name belongs to; empty for any other file.
QByteArray databaseOf(const QByteArray &path)
{
    for (const char *suffix : companionSuffixes)
        if (path.endsWith(suffix))
            return path.left(path.size() - qsizetype(std::strlen(suffix)));
    return {};
}

QString kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return QStringLiteral("symbolic link");
    if (S_ISDIR(mode))
        return QStringLiteral("folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("named pipe");
    if (S_ISCHR(mode))
        return QStringLiteral("character device");
    if (S_ISBLK(mode))
        return QStringLiteral("block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("socket");
    return QStringLiteral("special file");
}

QString userName(uid_t uid)
{
    const passwd *user = ::getpwuid(uid);
    return user ? QStringLiteral("user %1 (uid %2)")
                      .arg(QString::fromLocal8Bit(user->pw_name))
                      .arg(uid)
                : QStringLiteral("uid %1").arg(uid);
}

const QString linkProblem =
    QStringLiteral("it is a symbolic link, and no file beside a database is opened through a "
                   "link (whoever can write in its folder may have put it there to take over "
                   "the file it points to)");

// Why the companion file described by st may not be used; empty when it may.
// Besides the user, the database's owner may own it: the engine run by root
// gives a new log to the owner of the database, whose file it is anyway.
QString companionProblem(const struct stat &st, const QByteArray &database)
{
    if (S_ISLNK(st.st_mode))
        return linkProblem;
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is a %1, not a regular file").arg(kindOf(st.st_mode));
    struct stat owner;
    if (st.st_uid != ::geteuid() &&
        (::stat(database.constData(), &owner) != 0 || owner.st_uid != st.st_uid))
        return QStringLiteral("it belongs to %1, neither you nor the owner of the database, and "
                              "whoever put it there can change what the database reads")
            .arg(userName(st.st_uid));
    return {};
}

Error refusal(const QByteArray &path, const QString &why)
{
    const QString name = QFile::decodeName(path);
    return Error(ErrorNumber::NoPermission,
                 QStringLiteral("Merivex does not open '%1': %2. Remove it (rm '%1') and try "
                                "again.")
                     .arg(name, why));
}

using OpenCall = int (*)(const char *, int, int);
OpenCall engineOpen = nullptr;
thread_local std::optional<Error> pendingRefusal;

// The engine's open, by which it opens every file: the database, its
// companions, the folder it syncs and its temporary files. Non-blocking, so a
// pipe never stalls the open; a refused file is closed before the engine
// sees it.
int checkedOpen(const char *path, int flags, int mode)
{
    const QByteArray name(path);
    const QByteArray database = databaseOf(name);
    const bool companion = !database.isEmpty();
    const int fd = engineOpen(path, flags | O_NONBLOCK | (companion ? O_NOFOLLOW : 0), mode);
    if (fd < 0) {
        if (companion && errno == ELOOP) {
            pendingRefusal = refusal(name, linkProblem);
            errno = ELOOP;
        }
        return -1;
    }
    struct stat st;
    QString why;
    if (::fstat(fd, &st) != 0)
        why = QStringLiteral("it cannot be examined (%1)").arg(std::strerror(errno));
    else if (companion)
        why = companionProblem(st, database);
    // The engine syncs folders, seeds its random numbers from /dev/urandom
    // and fills descriptors 0 to 2 with /dev/null before it uses one.
    else if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && name != "/dev/null" &&
             name != "/dev/urandom")
        why = QStringLiteral("it is a %1, not a regular file").arg(kindOf(st.st_mode));
    if (!why.isEmpty()) {
        ::close(fd);
        pendingRefusal = refusal(name, why);
        errno = EPERM;
        return -1;
    }
    if (!(flags & O_NONBLOCK))
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// At most readLimit bytes from fd, then it is closed.
QByteArray readAll(int fd, const QString &path)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not read '%1': %2.").arg(path, file.errorString()));
    }
    QByteArray data, chunk(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0)
            fail(ErrorNumber::DiskIoError,
                 QStringLiteral("Could not read '%1': %2.").arg(path, file.errorString()));
        if (n == 0)
            return data;
        if (data.size() + n > readLimit)
            throw Error(ErrorNumber::CannotOpen,
                        QStringLiteral("'%1' is larger than %2 MiB, more than any file Merivex "
                                       "reads; it is not read.")
                            .arg(path)
                            .arg(readLimit >> 20));
        data.append(chunk.constData(), qsizetype(n));
    }
}

} // namespace

void guardEngineFiles()
{
    static const bool guarded = [] {
        sqlite3_initialize();
        sqlite3_vfs *layer = sqlite3_vfs_find("unix");
        if (!layer || layer->iVersion < 3 || !layer->xSetSystemCall)
            return false;
        engineOpen = reinterpret_cast<OpenCall>(layer->xGetSystemCall(layer, "open"));
        return engineOpen &&
               layer->xSetSystemCall(
                   layer, "open", reinterpret_cast<sqlite3_syscall_ptr>(checkedOpen)) == SQLITE_OK;
    }();
    if (!guarded)
        throw Error(ErrorNumber::InternalError,
                    QStringLiteral("Internal error: the database engine's file layer does not "
                                   "let Merivex check the files it opens."));
}

void raiseRefusal()
{
    if (!pendingRefusal)
        return;
    const Error error = *pendingRefusal;
    pendingRefusal.reset();
    throw error;
}

void checkCompanions(const QString &database)
{
    pendingRefusal.reset();
    const QByteArray base = QFile::encodeName(database);
    for (const char *suffix : companionSuffixes) {
        const QByteArray path = base + suffix;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        const QString why = companionProblem(st, base);
        if (!why.isEmpty())
            throw refusal(path, why);
    }
}

std::optional<QByteArray> readCompanion(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return std::nullopt;
    if (fd < 0 && errno == ELOOP)
        throw refusal(name, linkProblem);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not read '%1': %2.").arg(path, std::strerror(error)));
    }
    const QString why = companionProblem(st, databaseOf(name));
    if (!why.isEmpty()) {
        ::close(fd);
        throw refusal(name, why);
    }
    return readAll(fd, path);
}

QByteArray readUserFile(const QString &path, bool pipes)
{
    // Where no pipe is wanted, one is refused at once instead of waited on;
    // a pipe that is wanted waits for its writer.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | (pipes ? 0 : O_NONBLOCK));
    if (fd < 0) {
        if (errno == ENOENT)
            fail(ErrorNumber::FileNotFound, path);
        if (errno == EACCES || errno == EPERM)
            fail(ErrorNumber::NoPermission, path);
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not read '%1': %2.").arg(path, std::strerror(errno)));
    }
    struct stat st;
    if (::fstat(fd, &st) != 0)
        st.st_mode = 0;
    if (!S_ISREG(st.st_mode) && !(pipes && S_ISFIFO(st.st_mode))) {
        const mode_t mode = st.st_mode;
        ::close(fd);
        throw Error(ErrorNumber::CannotOpen,
                    QStringLiteral("'%1' is a %2, not a regular file; it is not read.")
                        .arg(path, kindOf(mode)));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return readAll(fd, path);
}

void checkRegularFile(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw Error(ErrorNumber::CannotOpen,
                    QStringLiteral("Cannot open database '%1': it is a %2, not a regular file.")
                        .arg(path, kindOf(st.st_mode)));
}

} // namespace merivex::files
