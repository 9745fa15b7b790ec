#pragma once
// Copies of the patient file: the one merivex-db backup makes where it is
// told, and the automatic ones, made before every change that nothing else
// could undo (an import, a restore, a deleted measurement, and the first
// save of each day) into the folder "backups" beside the file.
#include <QDateTime>
#include <QList>
#include <QString>

namespace merivex
{

// A copy of the file at path at dest, encrypted with the same password under
// a salt of its own, mode 0600, whole or not at all; Error 3204 when
// anything is at dest, a link above all.
void backupPatientDatabase(const QString &path, const QString &dest);

// The folder of the automatic backups of the file at path.
QString backupFolder(const QString &path);

// Copies the file at path into backupFolder(path) (made 0700 when missing,
// refused when it is a link, no folder or another user's) under the name
// NAME-yyyy-MM-dd-HHmmss-before-CHANGE.mdb, then removes the automatic
// backups beyond the newest 10 that are not the newest of one of the last 7
// days. Returns the new copy's path. On any failure it raises, and the
// change must not go ahead.
QString backUpBefore(const QString &path, const QString &change);

// Before a save: a backup unless one was made today already.
void backUpBeforeFirstSaveOfDay(const QString &path);

struct AutomaticBackup {
    QString name, path;
    QDateTime made;
    QString change; // what it was made before: "import", "delete", ...
    qint64 size = 0;
};

// The automatic backups of the file at path, newest first.
QList<AutomaticBackup> automaticBackups(const QString &path);

} // namespace merivex
