#pragma once
// Where the patient file lies and how every window opens it.
#include "db/dao.h"

#include <QString>

#include <memory>

namespace merivex
{

// The application's data folder (needs a QCoreApplication): the folder of
// the running executable for a portable copy; for the programs installed
// system-wide, which lie beside the marker file "data-in-home", the user's
// own $XDG_DATA_HOME/merivex (by default ~/.local/share/merivex; a relative
// XDG_DATA_HOME is ignored). Error 3044 when there is no usable home.
QString dataFolder();

// Merivex.mdb in dataFolder(). Installed system-wide, Error 3051 saying what
// to do when the folder or the file belongs to another user or others may
// write to it.
QString databasePath();

// Makes dataFolder() and its missing parents, private to the user (0700),
// if it does not exist yet.
void makeDataFolder();

// Installed system-wide, the first start makes the data folder and an empty
// file in it, as the tool's create does. A portable copy is left as it is.
void prepareUserDatabase();

// The connect string carrying the file's password: ";PWD=vexo".
QString connectString();

// The standard open: databasePath(), exclusive, read-write, connectString().
std::shared_ptr<Database> openPatientDatabase();

// For the tool, on a private copy of a file: the standard open that also
// admits triggers and views (for the check to report them), and stops any
// statement that does more work than a full file of 32,767 patients and
// 32,767 measurements needs with Error 3360, so no file makes it run without
// end.
std::shared_ptr<Database> inspectPatientDatabase(const QString &path);

// Creates a new, empty encrypted file with both tables at path, mode 0600,
// keyed with connect's password; it has no name until it is complete.
// Refuses with Error 3204 when the file already exists, and an empty file
// there as refuseEmpty does.
void createPatientDatabase(const QString &path, const QString &connect = connectString());

// Error 3049 for the empty file at path, saying what it is and what to do:
// with a journal or log beside it, a file whose making was cut off.
[[noreturn]] void refuseEmpty(const QString &path);

} // namespace merivex
