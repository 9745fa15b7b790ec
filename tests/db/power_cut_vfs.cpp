#include "power_cut_vfs.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace dbtest
{

namespace
{

// One file's contents: what a sync made sure of, and the writes and
// truncations since, in order.
struct Inode {
    struct Change {
        qint64 offset;   // a write at offset, or a truncation to it
        QByteArray data; // empty for a truncation
    };
    QByteArray synced;
    std::vector<Change> unsynced;

    void sync()
    {
        for (const Change &change : unsynced)
            apply(synced, change, change.data.size());
        unsynced.clear();
    }
    static void apply(QByteArray &bytes, const Change &change, qsizetype length)
    {
        if (change.data.isEmpty()) {
            bytes.truncate(change.offset);
            return;
        }
        if (bytes.size() < change.offset + length)
            bytes.resize(change.offset + length, '\0');
        std::copy_n(change.data.constData(), length, bytes.data() + change.offset);
    }
};

// A name in a folder: the file it names now, and the one it names on disk
// until the folder is synced. nullptr: no file.
struct Name {
    Inode *current = nullptr;
    Inode *synced = nullptr;
};

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

// The engine's methods for one kind of file, but for the calls that change
// files. The engine has several kinds behind one file system: the main file
// locks, a log or a journal does not.
struct Methods {
    sqlite3_io_methods methods{}; // first: a file's pMethods points here
    const sqlite3_io_methods *real = nullptr;
};

const sqlite3_io_methods &realMethodsOf(const sqlite3_file *file)
{
    return *reinterpret_cast<const Methods *>(file->pMethods)->real;
}

} // namespace

struct PowerCut::Model {
    sqlite3_vfs *real = nullptr;
    sqlite3_vfs vfs{};
    std::map<const sqlite3_io_methods *, std::unique_ptr<Methods>> methods; // by the real ones
    sqlite3_syscall_ptr realOpenDirectory = nullptr;

    std::vector<std::unique_ptr<Inode>> inodes;
    std::map<QString, Name> names;
    std::map<sqlite3_file *, Inode *> files; // nullptr for nameless temporary files
    int events = 0;
    int cutAt = 0;
    bool failed = false;
    Inode *lastWritten = nullptr; // the inode of the last write, if still unsynced

    Inode *newInode(const QByteArray &synced = {})
    {
        inodes.push_back(std::make_unique<Inode>());
        inodes.back()->synced = synced;
        return inodes.back().get();
    }

    // A name seen for the first time names what is on disk, as synced.
    Name &follow(const QString &path)
    {
        auto [found, isNew] = names.try_emplace(path);
        QFile file(path);
        if (isNew && file.open(QIODevice::ReadOnly))
            found->second.current = found->second.synced = newInode(file.readAll());
        return found->second;
    }

    // True when the power fails at this call or has failed before.
    bool fails()
    {
        if (!failed && ++events == cutAt)
            failed = true;
        return failed;
    }

    void folderSynced(const QString &folder)
    {
        for (auto &[path, name] : names)
            if (folderOf(path) == folder)
                name.synced = name.current;
    }
};

namespace
{

PowerCut::Model *active = nullptr;

// What a power cut can undo: writes, truncations, syncs and deletions.
int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    PowerCut::Model &m = *active;
    if (m.fails())
        return SQLITE_IOERR_WRITE;
    const int rc = realMethodsOf(file).xWrite(file, buffer, amount, offset);
    if (Inode *inode = m.files[file]; rc == SQLITE_OK && inode) {
        inode->unsynced.push_back({offset, QByteArray(static_cast<const char *>(buffer), amount)});
        m.lastWritten = inode;
    }
    return rc;
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    PowerCut::Model &m = *active;
    if (m.fails())
        return SQLITE_IOERR_TRUNCATE;
    const int rc = realMethodsOf(file).xTruncate(file, size);
    if (Inode *inode = m.files[file]; rc == SQLITE_OK && inode)
        inode->unsynced.push_back({size, {}});
    return rc;
}

int fileSync(sqlite3_file *file, int flags)
{
    PowerCut::Model &m = *active;
    if (m.fails())
        return SQLITE_IOERR_FSYNC;
    // The engine syncs the folder here too, the first time after creating
    // a journal or log; openDirectory below sees that.
    const int rc = realMethodsOf(file).xSync(file, flags);
    if (Inode *inode = m.files[file]; rc == SQLITE_OK && inode) {
        inode->sync();
        if (m.lastWritten == inode)
            m.lastWritten = nullptr;
    }
    return rc;
}

int vfsOpen(sqlite3_vfs *, const char *zName, sqlite3_file *file, int flags, int *outFlags)
{
    PowerCut::Model &m = *active;
    Name *name = zName ? &m.follow(QString::fromUtf8(zName)) : nullptr;
    m.files[file] = nullptr;
    const int rc = m.real->xOpen(m.real, zName, file, flags, outFlags);
    if (!file->pMethods)
        return rc;
    std::unique_ptr<Methods> &wrapped = m.methods[file->pMethods];
    if (!wrapped) {
        wrapped = std::make_unique<Methods>();
        wrapped->real = file->pMethods;
        wrapped->methods = *file->pMethods;
        wrapped->methods.xWrite = fileWrite;
        wrapped->methods.xTruncate = fileTruncate;
        wrapped->methods.xSync = fileSync;
    }
    file->pMethods = &wrapped->methods;
    if (rc == SQLITE_OK && name) {
        if (!name->current) // created now
            name->current = m.newInode();
        m.files[file] = name->current;
    }
    return rc;
}

int vfsDelete(sqlite3_vfs *, const char *zName, int syncDir)
{
    PowerCut::Model &m = *active;
    if (m.fails())
        return SQLITE_IOERR_DELETE;
    Name &name = m.follow(QString::fromUtf8(zName));
    const int rc = m.real->xDelete(m.real, zName, syncDir);
    if (rc == SQLITE_OK)
        name.current = nullptr;
    return rc;
}

// The engine opens a file's folder only to sync it.
int openDirectory(const char *path, int *fd)
{
    PowerCut::Model &m = *active;
    if (!m.failed)
        m.folderSynced(folderOf(QString::fromUtf8(path)));
    return reinterpret_cast<int (*)(const char *, int *)>(m.realOpenDirectory)(path, fd);
}

} // namespace

PowerCut::PowerCut(const QStringList &files, int cutAt) : m(std::make_unique<Model>())
{
    Q_ASSERT(!active);
    active = m.get();
    m->cutAt = cutAt;
    m->real = sqlite3_vfs_find("unix-excl");
    for (const QString &file : files)
        m->follow(file);

    // The same name, registered first: the layer's opens find this one. The
    // unix VFS's other calls do not look at the VFS they are handed, so they
    // are taken over as they are.
    sqlite3_vfs &vfs = m->vfs;
    vfs = *m->real;
    vfs.pNext = nullptr;
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    sqlite3_vfs_register(&vfs, 1);

    m->realOpenDirectory = m->real->xGetSystemCall(m->real, "openDirectory");
    m->real->xSetSystemCall(m->real, "openDirectory",
                            reinterpret_cast<sqlite3_syscall_ptr>(openDirectory));
}

PowerCut::~PowerCut()
{
    m->real->xSetSystemCall(m->real, "openDirectory", m->realOpenDirectory);
    sqlite3_vfs_unregister(&m->vfs);
    active = nullptr;
}

bool PowerCut::failed() const
{
    return m->failed;
}

bool PowerCut::cutDisk(double tearAt)
{
    bool torn = false;
    for (const auto &[path, name] : m->names) {
        if (!name.synced) {
            QFile::remove(path);
            continue;
        }
        QByteArray bytes = name.synced->synced;
        // The last write, not synced, kept from its first sector up to all
        // but its last.
        if (tearAt >= 0 && name.synced == m->lastWritten && !name.synced->unsynced.empty()) {
            const Inode::Change &last = name.synced->unsynced.back();
            const qsizetype sectors = last.data.size() / 512;
            if (sectors >= 2) {
                Inode::apply(bytes, last, (1 + qsizetype(tearAt * double(sectors - 1))) * 512);
                torn = true;
            }
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            qFatal("cannot rewrite %s", qPrintable(path));
    }
    return torn;
}

} // namespace dbtest
