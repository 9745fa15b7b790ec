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

// For the tool, on a private copy of a file: the standard open that also
// admits triggers and views (for the check to report them), and stops any
// statement that does more work than a full file of 32,767 patients and
// 32,767 measurements needs with Error 3360, so no file makes it run without
// end.
std::shared_ptr<Database> inspectPatientDatabase(const QString &path);

// Creates a new, empty encrypted file with both tables at path, mode 0600,
// keyed with connect's password. Refuses with Error 3204 when the file
// already exists.
void createPatientDatabase(const QString &path, const QString &connect = connectString());

} // namespace merivex
