#pragma once
// The file operations of merivex-db and of the copies the application makes
// itself. No file they create follows a link, replaces what it must not or
// is readable by anyone but its owner: new files are unnamed until complete
// (O_TMPFILE, or O_CREAT|O_EXCL|O_NOFOLLOW under a random name where the
// file system has no unnamed files), mode 0600 whatever the umask, synced
// with their folder; folders they make are 0700. Every failure raises
// merivex::Error naming the path.
#include "db/file_hold.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace merivex
{

// Error 3204 naming path when anything is there: a file, a folder, a link,
// a dangling link.
void refuseExisting(const QString &path);

// Makes the folder and any missing parents, each 0700; a folder that is
// there is used as it is. Error 3050 naming the parent that refuses it.
void makeFolders(const QString &path);

void syncFolderOf(const QString &path);

// A new file in the folder of dest, mode 0600, with no name until placed.
class NewFile
{
public:
    explicit NewFile(const QString &dest);
    ~NewFile();
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // Writes data and syncs it to disk.
    void write(const QByteArray &data);
    // Names it dest, never over anything there: Error 3204 when dest exists.
    void linkAs(const QString &dest);
    // Puts it in the place of path in one step, replacing what is there.
    void replace(const QString &path);

private:
    void linkUnder(const QString &name);
    QString m_dest; // the destination it was made for
    QString m_name; // its name while it has one
    int m_fd = -1;
    bool m_unnamed = false;
};

// A folder of this process's own (0700) in the system's temporary folder,
// removed with its files when done; one left by a killed run is removed by
// the next run of the tool.
class PrivateFolder
{
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    QString filePath(const QString &name) const;
    // Writes a new file there, mode 0600.
    QString write(const QString &name, const QByteArray &data) const;

private:
    QString m_path;
    int m_fd = -1; // locked while this process works in it
};

// The patient file at path held for exclusive use and copied with its log
// into a private folder: the tool reads the copy, so it writes nothing
// beside the file, whose folder may be read-only and the file itself too.
// Error 3045 while another process holds the file.
class Snapshot
{
public:
    explicit Snapshot(const QString &path);
    // Runs f on the copy; an Error naming the copy names the file instead.
    void use(const std::function<void(const QString &copy)> &f) const;

private:
    QString m_path;
    FileHold m_hold;
    PrivateFolder m_folder;
    QString m_copy;
};

// Runs f; an Error whose description names from names to instead.
void naming(const QString &from, const QString &to, const std::function<void()> &f);

// The bytes of a file; Error 3024 when it is missing.
QByteArray readFile(const QString &path);

} // namespace merivex
