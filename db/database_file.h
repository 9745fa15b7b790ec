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
// own $XDG_DATA_HOME/merivex (by default ~/.local/share/merivex).
QString dataFolder();

// Merivex.mdb in dataFolder().
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

// Creates a new, empty encrypted file with both tables at path, mode 0600,
// keyed with connect's password. Refuses with Error 3204 when the file
// already exists.
void createPatientDatabase(const QString &path, const QString &connect = connectString());

} // namespace merivex
