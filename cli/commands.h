#pragma once
// The commands of merivex-db, one file each, and what they do to a patient
// file. Every failure raises merivex::Error (db/errors.h); run() in
// report.cpp is the one place that turns it into a message and an exit
// status.
#include "db/errors.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace merivex::tool
{

// Exit statuses, listed in the usage text.
enum Exit : int {
    Success = 0,
    Failed = 1,    // the command failed, or check found problems
    Usage = 2,     // the arguments were wrong
    FileInUse = 3, // the application (or another program) holds the file
};

QString usage();

// Prints a line of the tool's own, or one line of a report.
void print(const QString &text);
// Text read from a file, with its control characters shown as \xNN or
// \u{NNNN}: a stored name cannot move the cursor or clear the terminal.
QString shown(const QString &text);
QString native(const QString &path);
QString patients(long count);     // "1 patient", "2 patients"
QString measurements(long count); // likewise
// Runs a command; an Error is reported as "merivex-db: what: error N: ...",
// exit 3 for a file in use, else 1; any other exception likewise, as error 7
// (out of memory) or 51 (internal error).
int run(const QString &what, const std::function<int()> &command);
int usageError(const QString &message);

// The commands; path is the patient database.
int create(const QString &path);
int check(const QString &path);
int exportCsv(const QString &path, const QString &dir, bool force);
int backup(const QString &path, const QString &dest);
int listBackups(const QString &path);
int restore(const QString &backup, const QString &path);
int importHistory(const QStringList &args); // FILE [PATH] and its options
int deleteMeasurement(const QString &id, const QString &path);
int fhirExport(const QStringList &args); // [PATH] OUT.json and its options

// The arguments report and fhir share: [PATH] OUT, --patient ID, --from and
// --to (yyyy-mm-dd). The usage error's exit status when they do not read.
struct PatientPeriod {
    QString path, out;
    qint16 id = 0;
    QDate first, last;
};
std::optional<int> readPatientPeriod(const QStringList &args, const QString &command,
                                     const QString &outName, PatientPeriod &into);
// Needs no application object: it makes the one drawing needs.
int report(int argc, char *argv[]);

struct CheckReport {
    int patients = 0;     // rows in Biodata
    int measurements = 0; // rows in BMIHistory
    QStringList problems; // one line each; empty when the file is sound
    QStringList warnings; // what does no harm but is not made by create
    bool ok() const { return problems.isEmpty(); }
};

// Checks the schema against what create makes, the engine's pages, ids in
// 16 bits (patients' running 1, 2, 3 ... without gaps), every IdPt naming a
// patient and heights and weights above zero, on a private copy of the file
// held for exclusive use. Raises only when the file cannot be opened at all.
CheckReport checkPatientDatabase(const QString &path);
// The same on a file no other process can reach (a private copy).
CheckReport checkCopy(const QString &copy);

struct ExportCounts {
    int patients = 0;
    int measurements = 0;
};

// Writes dir/patients.csv and dir/history.csv (RFC 4180, UTF-8, CRLF).
// Refuses with Error 3204 when either exists unless overwrite is set, and a
// link in their place always; replaces both or neither.
ExportCounts exportPatientDatabase(const QString &path, const QString &dir, bool overwrite);

// A value as export writes it: numbers as the windows show them, text
// exactly as stored; and the BMI of a height and a weight, "" unless both
// are numbers and the height is not zero.
QString exportText(const QVariant &v);
QString bmiText(const QVariant &height, const QVariant &weight);

// WHO's BMI-for-age z-score of a measurement at date, to two decimals, for
// the export's last column; "" outside 2 to 19 years (by WHO's tables) or
// without a BMI or a known sex.
QString zScoreText(const QVariant &height, const QVariant &weight, const QVariant &sex,
                   const QVariant &birthDate, const QDate &date);

// One CSV field: text that a spreadsheet would take for a formula gets a
// leading apostrophe; quoted when it holds a comma, a quote, a line break or
// blanks at either end, quotes doubled.
QString csvField(const QString &text);

// "dd/mm/yy" or "dd/mm/yyyy" as stored, read the way the history sorts it,
// as "yyyy-mm-dd"; "" when the text is no such date.
QString isoDate(const QString &stored);

struct Restored {
    QString backup;        // the automatic backup of the previous file, if it read
    QString aside;         // where the previous file is kept; empty when there was none
    bool asideLog = false; // its log is kept beside it, as aside + "-wal"
    QString unreadable;    // why the previous file did not read as sound, if it did not
    CheckReport report;    // of the restored file
};

// Holds path from the first look to the rename; puts a checked copy of
// backup in its place and keeps the previous file aside. Before the
// rename, any failure leaves every file as it was.
Restored restorePatientDatabase(const QString &backup, const QString &path);

} // namespace merivex::tool
