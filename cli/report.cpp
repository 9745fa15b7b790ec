// How merivex-db speaks: its usage, its lines and its one report of an error.
#include "cli/commands.h"

#include <QDir>

#include <cstdio>
#include <exception>
#include <new>

namespace merivex::tool
{

void print(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

namespace
{

void printError(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

QString counted(long count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

QString shown(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            out += c.unicode() < 0x100
                       ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                       : QStringLiteral("\\u{%1}").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else
            out += c;
    }
    return out;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString patients(long count)
{
    return counted(count, "patient", "patients");
}

QString measurements(long count)
{
    return counted(count, "measurement", "measurements");
}

int usageError(const QString &message)
{
    // The argument parser's own texts end with a period, or not.
    printError(QStringLiteral("merivex-db: ") + message +
               QLatin1String(message.endsWith(QLatin1Char('.')) ? "" : "."));
    printError(usage());
    return Usage;
}

int run(const QString &what, const std::function<int()> &command)
{
    try {
        return command();
    } catch (const std::bad_alloc &) {
        printError(QStringLiteral("merivex-db: %1: error %2: Out of memory.")
                       .arg(what)
                       .arg(ErrorNumber::OutOfMemory));
        return Failed;
    } catch (const Error &error) {
        if (error.number() == ErrorNumber::FileInUse) {
            printError(QStringLiteral("merivex-db: %1: error %2: %3 Close the application (or "
                                      "the other program using it) and try again.")
                           .arg(what)
                           .arg(error.number())
                           .arg(error.description()));
            return FileInUse;
        }
        printError(QStringLiteral("merivex-db: %1: error %2: %3")
                       .arg(what)
                       .arg(error.number())
                       .arg(error.description()));
        return Failed;
    } catch (const std::exception &failure) {
        printError(QStringLiteral("merivex-db: %1: error %2: Internal error: %3")
                       .arg(what)
                       .arg(ErrorNumber::InternalError)
                       .arg(QString::fromLocal8Bit(failure.what())));
        return Failed;
    }
}

QString usage()
{
    return QStringLiteral(
        "Usage: merivex-db create [PATH]\n"
        "       merivex-db check [PATH]\n"
        "       merivex-db export [PATH] --csv DIR [--force]\n"
        "       merivex-db backup [PATH] DEST\n"
        "       merivex-db backups [PATH]\n"
        "       merivex-db restore BACKUP [PATH]\n"
        "       merivex-db import FILE [PATH] --patient ID [--unit kg|lb] [--height METRES]\n"
        "                         [--source-patient ID] [--dry-run]\n"
        "       merivex-db report [PATH] --patient ID [--from DATE] [--to DATE] OUT.pdf\n"
        "       merivex-db fhir [PATH] --patient ID [--from DATE] [--to DATE] OUT.json\n"
        "       merivex-db delete-measurement ID [PATH]\n"
        "       merivex-db --help\n"
        "\n"
        "PATH is the patient database; it defaults to Merivex.mdb where the\n"
        "application looks for it: in the folder of this program, or, installed\n"
        "system-wide, in $XDG_DATA_HOME/merivex (~/.local/share/merivex), which\n"
        "create and restore make when missing. Every command but create holds it\n"
        "the way the application does, so a file the application holds is refused,\n"
        "and reads a private copy of it: check, export, backup and report write\n"
        "nothing beside it. No file beside it (-wal, -shm, -journal) is opened\n"
        "through a link, nor unless it is a regular file of yours. \"--\" ends the\n"
        "options: later arguments are names.\n"
        "\n"
        "create  Creates a new, empty patient database with the tables Biodata and\n"
        "        BMIHistory, encrypted with the application's password, readable and\n"
        "        writable by its owner only (mode 0600). An existing file is never\n"
        "        overwritten.\n"
        "check   Checks that the tables are exactly those create makes, with no\n"
        "        triggers, views or other tables (an extra index is a warning), runs\n"
        "        the engine's integrity check and checks that ids are 16-bit numbers\n"
        "        (patients' running 1, 2, 3 ... without gaps; a deleted measurement\n"
        "        leaves a gap), that every measurement names a registered patient\n"
        "        and that heights and weights are numbers above zero. Prints a\n"
        "        report; stored text is shown with control characters escaped.\n"
        "export  Writes DIR/patients.csv and DIR/history.csv (RFC 4180, UTF-8): one\n"
        "        row per patient, and one per measurement with the patient's name,\n"
        "        the date as yyyy-mm-dd and as stored, height, weight, BMI and, last,\n"
        "        WHO's BMI-for-age z-score from 2 to 19 years (else empty). Text\n"
        "        beginning with = + - @, a tab or a carriage return gets a leading\n"
        "        apostrophe, so a spreadsheet does not run it as a formula. Existing\n"
        "        files are replaced only with --force, both or neither; a link in\n"
        "        their place is never followed.\n"
        "backup  Writes a copy, encrypted with the same password, to DEST, mode 0600;\n"
        "        the file has no name until it is complete. Anything at DEST (a file,\n"
        "        a link, a dangling link) is refused; a folder as DEST receives\n"
        "        Merivex.mdb.\n"
        "backups Lists the automatic backups of PATH, newest first: copies made\n"
        "        before every import, restore and delete-measurement, from this tool\n"
        "        or the application, and before the first save of each day, in the\n"
        "        folder backups beside PATH, named by date and time (mode 0600). The\n"
        "        newest 10 are kept, and the newest of each of the last 7 days.\n"
        "restore Puts a copy of BACKUP in the place of PATH once it passes check,\n"
        "        holding PATH for the whole restore. The file that was there is kept\n"
        "        in the same folder under a dated name, with its log folded in (or\n"
        "        beside it as NAME-wal when it does not read as sound); its log is\n"
        "        never paired with the restored copy. Mode 0600. BACKUP may be the\n"
        "        name of an automatic backup, as backups lists it.\n"
        "import  Adds the measurements of a history file to patient ID, all in one\n"
        "        transaction or none: openScale 2.x and 3.x CSV, trale, wger, GNOME\n"
        "        Health, Google Fit Takeout \"Daily Summaries.csv\" or this tool's own\n"
        "        history.csv (only IdPatient ID's rows with --source-patient ID), or a\n"
        "        FHIR Bundle (weights LOINC 29463-7 in kg, g or [lb_av], heights\n"
        "        8302-2 in cm, m or [in_i] of the same day), told apart by their first\n"
        "        line. --unit lb reads pounds where the format\n"
        "        does not say kg; files without heights take --height, else the\n"
        "        patient's last stored height. Rows without a weight (also 0 kg\n"
        "        once converted), unreadable, dated outside the years dd/mm/yy holds\n"
        "        or equal to a stored one or to an earlier row of the file (same date\n"
        "        and weight) are skipped and listed. A file cut off in its last line\n"
        "        or with a quote never closed is refused whole. --dry-run only\n"
        "        reports.\n"
        "report  Writes an A4 PDF of patient ID's measurements (DATE is yyyy-mm-dd):\n"
        "        name, sex, birth date, age, each measurement with its BMI and WHO\n"
        "        class (from 2 to 19 years BMI-for-age with its z-score), the trend\n"
        "        chart, the first and last values. OUT.pdf is never overwritten;\n"
        "        mode 0600.\n"
        "fhir    Writes patient ID's measurements as a FHIR R4 Bundle (collection):\n"
        "        the Patient and, per measurement, Observations of body weight (kg),\n"
        "        body height (cm) and BMI. Ids are derived from the data, so the same\n"
        "        data give the same file. OUT.json is never overwritten; mode 0600.\n"
        "delete-measurement\n"
        "        Deletes the measurement whose IdBMI is ID (the first column of the\n"
        "        export's history.csv) and prints it as the export shows it.\n"
        "\n"
        "Exit status:\n"
        "  0  success; for check, no problem found\n"
        "  1  the command failed, or check found problems\n"
        "  2  wrong arguments\n"
        "  3  the database is in use (the application, or another merivex-db, has it)");
}

} // namespace merivex::tool
