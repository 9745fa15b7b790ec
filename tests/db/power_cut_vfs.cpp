#include "power_cut_vfs.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <map>
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

struct File {
    sqlite3_file base;
    Inode *inode; // nullptr for the engine's nameless temporary files
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

PowerCut::Model *active = nullptr;

File *shim(sqlite3_file *file)
{
    return reinterpret_cast<File *>(file);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

struct PowerCut::Model {
    sqlite3_vfs *real = nullptr;
    sqlite3_vfs vfs{};
    sqlite3_io_methods methods{};
    sqlite3_syscall_ptr realOpenDirectory = nullptr;

    std::vector<std::unique_ptr<Inode>> inodes;
    std::map<QString, Name> names;
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
        auto found = names.find(path);
        if (found != names.end())
            return found->second;
        Name &name = names[path];
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            name.current = name.synced = newInode(file.readAll());
        return name;
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
        for (auto &[path, name] : names) {
            if (folderOf(path) == folder)
                name.synced = name.current;
        }
    }
};

namespace
{

PowerCut::Model &model()
{
    return *active;
}

// Every call the layer does not need to see is passed on.
int fileClose(sqlite3_file *file)
{
    return shim(file)->real()->pMethods->xClose(shim(file)->real());
}
int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset)
{
    return shim(file)->real()->pMethods->xRead(shim(file)->real(), buffer, amount, offset);
}
int fileSize(sqlite3_file *file, sqlite3_int64 *size)
{
    return shim(file)->real()->pMethods->xFileSize(shim(file)->real(), size);
}
int fileLock(sqlite3_file *file, int level)
{
    return shim(file)->real()->pMethods->xLock(shim(file)->real(), level);
}
int fileUnlock(sqlite3_file *file, int level)
{
    return shim(file)->real()->pMethods->xUnlock(shim(file)->real(), level);
}
int fileCheckReservedLock(sqlite3_file *file, int *out)
{
    return shim(file)->real()->pMethods->xCheckReservedLock(shim(file)->real(), out);
}
int fileControl(sqlite3_file *file, int op, void *arg)
{
    return shim(file)->real()->pMethods->xFileControl(shim(file)->real(), op, arg);
}
int fileSectorSize(sqlite3_file *file)
{
    return shim(file)->real()->pMethods->xSectorSize(shim(file)->real());
}
int fileDeviceCharacteristics(sqlite3_file *file)
{
    return shim(file)->real()->pMethods->xDeviceCharacteristics(shim(file)->real());
}
int fileShmMap(sqlite3_file *file, int region, int size, int extend, void volatile **out)
{
    return shim(file)->real()->pMethods->xShmMap(shim(file)->real(), region, size, extend, out);
}
int fileShmLock(sqlite3_file *file, int offset, int n, int flags)
{
    return shim(file)->real()->pMethods->xShmLock(shim(file)->real(), offset, n, flags);
}
void fileShmBarrier(sqlite3_file *file)
{
    shim(file)->real()->pMethods->xShmBarrier(shim(file)->real());
}
int fileShmUnmap(sqlite3_file *file, int deleteFlag)
{
    return shim(file)->real()->pMethods->xShmUnmap(shim(file)->real(), deleteFlag);
}
int fileFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **out)
{
    return shim(file)->real()->pMethods->xFetch(shim(file)->real(), offset, amount, out);
}
int fileUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *page)
{
    return shim(file)->real()->pMethods->xUnfetch(shim(file)->real(), offset, page);
}

// What a power cut can undo: writes, truncations, syncs and deletions.
int fileWrite(sqlite3_file *file, const void *buffer, int amount, sqlite3_int64 offset)
{
    if (model().fails())
        return SQLITE_IOERR_WRITE;
    const int rc = shim(file)->real()->pMethods->xWrite(shim(file)->real(), buffer, amount, offset);
    if (rc == SQLITE_OK && shim(file)->inode) {
        shim(file)->inode->unsynced.push_back(
            {offset, QByteArray(static_cast<const char *>(buffer), amount)});
        model().lastWritten = shim(file)->inode;
    }
    return rc;
}

int fileTruncate(sqlite3_file *file, sqlite3_int64 size)
{
    if (model().fails())
        return SQLITE_IOERR_TRUNCATE;
    const int rc = shim(file)->real()->pMethods->xTruncate(shim(file)->real(), size);
    if (rc == SQLITE_OK && shim(file)->inode)
        shim(file)->inode->unsynced.push_back({size, {}});
    return rc;
}

int fileSync(sqlite3_file *file, int flags)
{
    if (model().fails())
        return SQLITE_IOERR_FSYNC;
    // The engine syncs the folder here too, the first time after creating
    // a journal or log; openDirectory below sees that.
    const int rc = shim(file)->real()->pMethods->xSync(shim(file)->real(), flags);
    if (rc == SQLITE_OK && shim(file)->inode) {
        shim(file)->inode->sync();
        if (model().lastWritten == shim(file)->inode)
            model().lastWritten = nullptr;
    }
    return rc;
}

int vfsOpen(sqlite3_vfs *, const char *zName, sqlite3_file *file, int flags, int *outFlags)
{
    PowerCut::Model &m = model();
    File *f = shim(file);
    f->inode = nullptr;
    Name *name = zName ? &m.follow(QString::fromUtf8(zName)) : nullptr;
    const int rc = m.real->xOpen(m.real, zName, f->real(), flags, outFlags);
    f->base.pMethods = f->real()->pMethods ? &m.methods : nullptr;
    if (rc == SQLITE_OK && name) {
        if (!name->current) // created now
            name->current = m.newInode();
        f->inode = name->current;
    }
    return rc;
}

int vfsDelete(sqlite3_vfs *, const char *zName, int syncDir)
{
    PowerCut::Model &m = model();
    if (m.fails())
        return SQLITE_IOERR_DELETE;
    Name &name = m.follow(QString::fromUtf8(zName));
    const int rc = m.real->xDelete(m.real, zName, syncDir);
    if (rc == SQLITE_OK)
        name.current = nullptr;
    return rc;
}

int vfsAccess(sqlite3_vfs *, const char *zName, int flags, int *out)
{
    return model().real->xAccess(model().real, zName, flags, out);
}
int vfsFullPathname(sqlite3_vfs *, const char *zName, int size, char *out)
{
    return model().real->xFullPathname(model().real, zName, size, out);
}
void *vfsDlOpen(sqlite3_vfs *, const char *zPath)
{
    return model().real->xDlOpen(model().real, zPath);
}
void vfsDlError(sqlite3_vfs *, int size, char *out)
{
    model().real->xDlError(model().real, size, out);
}
void (*vfsDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void)
{
    return model().real->xDlSym(model().real, handle, symbol);
}
void vfsDlClose(sqlite3_vfs *, void *handle)
{
    model().real->xDlClose(model().real, handle);
}
int vfsRandomness(sqlite3_vfs *, int size, char *out)
{
    return model().real->xRandomness(model().real, size, out);
}
int vfsSleep(sqlite3_vfs *, int microseconds)
{
    return model().real->xSleep(model().real, microseconds);
}
int vfsCurrentTime(sqlite3_vfs *, double *out)
{
    return model().real->xCurrentTime(model().real, out);
}
int vfsGetLastError(sqlite3_vfs *, int size, char *out)
{
    return model().real->xGetLastError(model().real, size, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out)
{
    return model().real->xCurrentTimeInt64(model().real, out);
}

// The engine opens a file's folder only to sync it.
int openDirectory(const char *path, int *fd)
{
    PowerCut::Model &m = model();
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

    sqlite3_io_methods &io = m->methods;
    io.iVersion = 3;
    io.xClose = fileClose;
    io.xRead = fileRead;
    io.xWrite = fileWrite;
    io.xTruncate = fileTruncate;
    io.xSync = fileSync;
    io.xFileSize = fileSize;
    io.xLock = fileLock;
    io.xUnlock = fileUnlock;
    io.xCheckReservedLock = fileCheckReservedLock;
    io.xFileControl = fileControl;
    io.xSectorSize = fileSectorSize;
    io.xDeviceCharacteristics = fileDeviceCharacteristics;
    io.xShmMap = fileShmMap;
    io.xShmLock = fileShmLock;
    io.xShmBarrier = fileShmBarrier;
    io.xShmUnmap = fileShmUnmap;
    io.xFetch = fileFetch;
    io.xUnfetch = fileUnfetch;

    // The same name, registered first: the layer's opens find this one.
    sqlite3_vfs &vfs = m->vfs;
    vfs = *m->real;
    vfs.szOsFile = int(sizeof(File)) + m->real->szOsFile;
    vfs.pNext = nullptr;
    vfs.pAppData = nullptr;
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    vfs.xAccess = vfsAccess;
    vfs.xFullPathname = vfsFullPathname;
    vfs.xDlOpen = vfsDlOpen;
    vfs.xDlError = vfsDlError;
    vfs.xDlSym = vfsDlSym;
    vfs.xDlClose = vfsDlClose;
    vfs.xRandomness = vfsRandomness;
    vfs.xSleep = vfsSleep;
    vfs.xCurrentTime = vfsCurrentTime;
    vfs.xGetLastError = vfsGetLastError;
    vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    vfs.xSetSystemCall = nullptr;
    vfs.xGetSystemCall = nullptr;
    vfs.xNextSystemCall = nullptr;
    vfs.iVersion = 2;
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
