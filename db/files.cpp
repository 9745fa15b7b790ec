#include "db/files.h"

#include "db/checked_files.h"
#include "db/database_file.h"
#include "db/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex
{

namespace
{

const QString logSuffix = QStringLiteral("-wal");

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// The one report of a failed system call: what was done, to which path, why.
[[noreturn]] void systemError(const QString &what, const QString &path, int error)
{
    const QString text = QStringLiteral("%1 '%2': %3.")
                             .arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
    if (error == ENOSPC || error == EDQUOT)
        fail(ErrorNumber::DiskFull, text);
    if (error == EEXIST)
        fail(ErrorNumber::DatabaseExists, path);
    fail(ErrorNumber::DiskIoError, text);
}

QString randomName(const QString &prefix, const QString &suffix)
{
    return prefix +
           QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16,
                                    QLatin1Char('0')) +
           suffix;
}

// Removes what killed runs left in folder: entries named as pattern, owned
// by this user, whose maker no longer holds their lock. Only removes names:
// a planted link is unlinked, never followed.
void sweep(const QString &folder, const QRegularExpression &pattern, bool folders)
{
    DIR *dir = ::opendir(native(folder).constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        struct stat st;
        if (!pattern.match(name).hasMatch() ||
            ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            st.st_uid != ::geteuid() || (folders ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)))
            continue;
        const int fd = ::openat(dirFd, entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_CLOEXEC | (folders ? O_DIRECTORY : 0));
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (folders) {
                if (DIR *inner = ::fdopendir(::dup(fd))) {
                    while (const dirent *file = ::readdir(inner))
                        ::unlinkat(::dirfd(inner), file->d_name, 0); // "." and ".." fail
                    ::closedir(inner);
                }
            }
            ::unlinkat(dirFd, entry->d_name, folders ? AT_REMOVEDIR : 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

const QRegularExpression partName(QStringLiteral("^\\.merivex-db-[0-9a-f]{8}\\.part$"));
const QRegularExpression folderName(QStringLiteral("^merivex-db-[A-Za-z0-9]{6}$"));

} // namespace

void refuseExisting(const QString &path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) == 0)
        fail(ErrorNumber::DatabaseExists, path);
}

void makeFolders(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString parent = QFileInfo(absolute).path();
    if (QFileInfo(absolute).isDir())
        return;
    if (parent != absolute)
        makeFolders(parent);
    if (::mkdir(native(absolute).constData(), 0700) != 0 && errno != EEXIST) {
        if (errno == EACCES || errno == EPERM)
            fail(ErrorNumber::FolderNotWritable, QDir::toNativeSeparators(parent));
        systemError(QStringLiteral("Could not create the folder"), absolute, errno);
    }
}

void syncFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        systemError(QStringLiteral("Could not sync the folder"), folder, error);
    }
    ::close(fd);
}

NewFile::NewFile(const QString &dest) : m_dest(dest)
{
    const QString folder = QFileInfo(dest).absolutePath();
    sweep(folder, partName, false);
    m_fd = ::open(native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    m_unnamed = m_fd >= 0;
    // File systems without unnamed files: a random name, locked while used.
    for (int attempt = 0; m_fd < 0 && attempt < 16; ++attempt) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != EEXIST)
            break;
        const QString name = QDir(folder).filePath(
            randomName(QStringLiteral(".merivex-db-"), QStringLiteral(".part")));
        m_fd = ::open(native(name).constData(),
                      O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_name = name;
            ::flock(m_fd, LOCK_EX);
        }
    }
    if (m_fd < 0)
        systemError(QStringLiteral("Could not create a file in"), folder, errno);
    ::fchmod(m_fd, 0600); // a umask may have taken the owner's bits
}

NewFile::~NewFile()
{
    if (!m_name.isEmpty())
        ::unlink(native(m_name).constData());
    if (m_fd >= 0)
        ::close(m_fd);
}

void NewFile::write(const QByteArray &data)
{
    const char *at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, at, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            systemError(QStringLiteral("Could not write"), m_dest, n < 0 ? errno : ENOSPC);
        at += n;
        left -= n;
    }
    if (::fsync(m_fd) != 0)
        systemError(QStringLiteral("Could not write"), m_dest, errno);
}

// Gives the unnamed file the name; linking never replaces nor follows what
// is at the name.
void NewFile::linkUnder(const QString &name)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    int rc =
        ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, native(name).constData(), AT_SYMLINK_FOLLOW);
    if (rc != 0 && errno == ENOENT) // no /proc
        rc = ::linkat(m_fd, "", AT_FDCWD, native(name).constData(), AT_EMPTY_PATH);
    if (rc != 0)
        systemError(QStringLiteral("Could not create"), name, errno);
    m_unnamed = false;
    m_name = name;
}

void NewFile::linkAs(const QString &dest)
{
    if (m_unnamed) {
        linkUnder(dest);
    } else if (::renameat2(AT_FDCWD, native(m_name).constData(), AT_FDCWD, native(dest).constData(),
                           RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            systemError(QStringLiteral("Could not create"), dest, errno);
        // No such rename here: a second name never replaces one either.
        if (::link(native(m_name).constData(), native(dest).constData()) != 0)
            systemError(QStringLiteral("Could not create"), dest, errno);
        ::unlink(native(m_name).constData());
    }
    m_name.clear();
    syncFolderOf(dest);
}

void NewFile::replace(const QString &path)
{
    if (m_unnamed)
        linkUnder(
            QDir(QFileInfo(path).absolutePath())
                .filePath(randomName(QStringLiteral(".merivex-db-"), QStringLiteral(".part"))));
    if (std::rename(native(m_name).constData(), native(path).constData()) != 0)
        systemError(QStringLiteral("Could not replace"), path, errno);
    m_name.clear();
    syncFolderOf(path);
}

PrivateFolder::PrivateFolder()
{
    const QString temp = QDir::tempPath();
    sweep(temp, folderName, true);
    QByteArray name = native(QDir(temp).filePath(QStringLiteral("merivex-db-XXXXXX")));
    if (!::mkdtemp(name.data()))
        systemError(QStringLiteral("Could not create a folder in"), temp, errno);
    m_path = QFile::decodeName(name);
    m_fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_fd < 0 || ::flock(m_fd, LOCK_EX) != 0) {
        // No destructor runs for a constructor that throws.
        const int error = errno;
        if (m_fd >= 0)
            ::close(m_fd);
        ::rmdir(name.constData());
        systemError(QStringLiteral("Could not use the folder"), m_path, error);
    }
}

PrivateFolder::~PrivateFolder()
{
    for (const QString &name : QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System))
        ::unlink(native(QDir(m_path).filePath(name)).constData());
    ::rmdir(native(m_path).constData());
    if (m_fd >= 0)
        ::close(m_fd);
}

QString PrivateFolder::filePath(const QString &name) const
{
    return QDir(m_path).filePath(name);
}

QString PrivateFolder::write(const QString &name, const QByteArray &data) const
{
    const QString path = filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        systemError(QStringLiteral("Could not create"), path, errno);
    if (file.write(data) != data.size() || !file.flush())
        systemError(QStringLiteral("Could not write"), path, errno ? errno : EIO);
    return path;
}

Snapshot::Snapshot(const QString &path) : m_path(path), m_hold(path)
{
    const QByteArray contents = m_hold.contents();
    if (contents.isEmpty())
        refuseEmpty(path); // with what is left beside it, not beside the copy
    m_copy = m_folder.write(QStringLiteral("Merivex.mdb"), contents);
    if (const std::optional<QByteArray> log = files::readCompanion(path + logSuffix))
        m_folder.write(QStringLiteral("Merivex.mdb") + logSuffix, *log);
}

void Snapshot::use(const std::function<void(const QString &)> &f) const
{
    naming(m_copy, m_path, [&] { f(m_copy); });
}

void naming(const QString &from, const QString &to, const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &error) {
        QString description = error.description();
        throw Error(error.number(), description.replace(from, to));
    }
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists())
            fail(ErrorNumber::FileNotFound, path);
        systemError(QStringLiteral("Could not read"), path, errno);
    }
    QByteArray data = file.readAll();
    if (file.error() != QFile::NoError)
        systemError(QStringLiteral("Could not read"), path, errno ? errno : EIO);
    return data;
}

} // namespace merivex
