#pragma once
// What the companion tool does to a patient file besides creating it:
// checking it, exporting it as CSV and making an encrypted copy. Each opens
// the file the way the application does (exclusive, with the password), so a
// file the application holds is refused with Error 3045 and never touched.
#include "db/errors.h"

#include <QString>
#include <QStringList>

namespace merivex
{

struct CheckReport {
    int patients = 0;     // rows in Biodata
    int measurements = 0; // rows in BMIHistory
    QStringList problems; // one line each; empty when the file is sound
    bool ok() const { return problems.isEmpty(); }
};

// Integrity of the engine's pages, both tables with their columns, ids
// 1, 2, 3 ... without gaps, every IdPt naming a patient, numeric heights and
// weights. Raises only when the file cannot be opened at all.
CheckReport checkPatientDatabase(const QString &path);

struct ExportCounts {
    int patients = 0;
    int measurements = 0;
};

// Writes dir/patients.csv and dir/history.csv (RFC 4180, UTF-8, CRLF), both
// read in full first, each written through a temporary file renamed into
// place. Refuses with Error 3204 when
// either exists unless overwrite is set; creates dir when missing.
ExportCounts exportCsv(const QString &path, const QString &dir, bool overwrite);

// Make a file's contents, or the names in the folder holding path, last
// through a power cut. Only for files no connection of this process has open:
// closing a descriptor drops the process's locks on the file. Raise Error
// 3043 when the system refuses.
void syncFile(const QString &path);
void syncFolderOf(const QString &path);

// A consistent copy of the file at dest, encrypted with the same password,
// written to a temporary file beside dest and renamed only once it opens.
// Refuses with Error 3204 when dest exists.
void backupPatientDatabase(const QString &path, const QString &dest);

// One CSV field: quoted when it holds a comma, a quote, a line break or
// blanks at either end; quotes doubled.
QString csvField(const QString &text);

// "dd/mm/yy" or "dd/mm/yyyy" as stored, read the way the history sorts it,
// as "yyyy-mm-dd"; "" when the text is no such date.
QString isoDate(const QString &stored);

} // namespace merivex
