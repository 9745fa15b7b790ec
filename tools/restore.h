#pragma once
// Putting a backup in the place of the patient file. The file's write-ahead
// log belongs to the file it was written for: replayed onto a restored copy
// it reads as damage. So the copy is put in place under a new name and the old
// file is kept aside whole, folded with its log or together with it.
#include <QString>
#include <QStringList>

namespace merivex::tool
{

struct Restored {
    QString aside;         // where the previous file is kept; empty when there was none
    bool asideLog = false; // its log is kept beside it, as aside + "-wal"
    QString unreadable;    // why the previous file did not read as sound, if it did not
};

// Copies backup (and a log beside it) to a private file in path's folder and
// checks that the copy opens with the application's password and passes the
// tool's check; only then keeps the file at path aside under a dated name,
// removes its log from beside path and renames the copy over path, syncing
// the copy and the folder. Raises Error 3045 while another process holds
// path; before the rename, any failure leaves path as it was.
Restored restorePatientDatabase(const QString &backup, const QString &path);

} // namespace merivex::tool
