#pragma once
// Where the patient file lies and how every window opens it.
#include "db/dao.h"

#include <QString>

#include <memory>

namespace merivex
{

// Merivex.mdb in the folder of the running executable (needs a
// QCoreApplication).
QString databasePath();

// The connect string carrying the file's password: ";PWD=vexo".
QString connectString();

// The standard open: databasePath(), exclusive, read-write, connectString().
std::shared_ptr<Database> openPatientDatabase();

// Creates a new, empty encrypted file with both tables at path, mode 0600,
// keyed with connect's password. Refuses with Error 3204 when the file
// already exists.
void createPatientDatabase(const QString &path, const QString &connect = connectString());

} // namespace merivex
