// merivex-db export: the two tables as CSV files for a spreadsheet.
#include "cli/commands.h"
#include "cli/maintenance_sql.h"
#include "db/bmi_for_age.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/files.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace merivex::tool
{

namespace
{

namespace sql = Sql::maintenance;

class CsvWriter
{
public:
    // last is written as it is: a number of the tool's own, which a leading
    // apostrophe would turn into text ("-1.20" is no formula).
    void row(const QStringList &fields, const QString &last = {})
    {
        QStringList quoted;
        for (const QString &field : fields)
            quoted.append(csvField(field));
        if (!last.isNull())
            quoted.append(last);
        m_text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    QByteArray bytes() const { return m_text.toUtf8(); }

private:
    QString m_text;
};

QByteArray patientsCsv(const Database &db, int *rows)
{
    CsvWriter csv;
    csv.row({QStringLiteral("IdPatient"), QStringLiteral("Name"), QStringLiteral("Sex"),
             QStringLiteral("DateRegister"), QStringLiteral("BirthDate")});
    Statement stmt = db.prepare(sql::patientsForExport);
    while (stmt.step()) {
        QStringList fields;
        for (int i = 0; i < 5; ++i)
            fields.append(exportText(stmt.column(i)));
        csv.row(fields);
        ++*rows;
    }
    return csv.bytes();
}

QByteArray historyCsv(const Database &db, int *rows)
{
    CsvWriter csv;
    csv.row({QStringLiteral("IdBMI"), QStringLiteral("IdPatient"), QStringLiteral("Name"),
             QStringLiteral("Date"), QStringLiteral("DateStored"), QStringLiteral("Height"),
             QStringLiteral("Weight"), QStringLiteral("BMI"), QStringLiteral("BMIForAgeZ")});
    Statement stmt = db.prepare(sql::historyForExport);
    const int thisYear = dates::currentYear();
    while (stmt.step()) {
        QVariant v[8];
        for (int i = 0; i < 8; ++i)
            v[i] = stmt.column(i);
        const QString stored = exportText(v[3]);
        csv.row({exportText(v[0]), exportText(v[1]), exportText(v[2]), isoDate(stored), stored,
                 exportText(v[4]), exportText(v[5]), bmiText(v[4], v[5])},
                zScoreText(v[4], v[5], v[6], v[7], readStoredDate(stored, thisYear)));
        ++*rows;
    }
    return csv.bytes();
}

// A regular file there may be replaced; anything else, a link above all, is
// never written through.
void refuseUnlessReplaceable(const QString &path, bool overwrite)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return;
    if (!overwrite || !S_ISREG(st.st_mode))
        fail(ErrorNumber::DatabaseExists, path);
}

} // namespace

QString exportText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString ? v.toString() : displayText(v);
}

QString bmiText(const QVariant &height, const QVariant &weight)
{
    const auto isNumber = [](const QVariant &v) {
        return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double;
    };
    if (!isNumber(height) || !isNumber(weight) || height.toDouble() == 0)
        return {};
    return displayText(QVariant(weight.toDouble() / (height.toDouble() * height.toDouble())));
}

QString zScoreText(const QVariant &height, const QVariant &weight, const QVariant &sex,
                   const QVariant &birthDate, const QDate &date)
{
    const QString bmi = bmiText(height, weight);
    if (bmi.isEmpty())
        return QStringLiteral("");
    const QDate birth = readStoredDate(displayText(birthDate));
    const who::Reference reference = who::referenceAt(birth, date);
    if (reference != who::Reference::Standards && reference != who::Reference::Growth)
        return QStringLiteral("");
    const double value = weight.toDouble() / (height.toDouble() * height.toDouble());
    const std::optional<double> z =
        who::bmiForAgeZ(who::sexOf(displayText(sex)), birth.daysTo(date), value);
    return z ? QString::number(*z, 'f', 2) : QStringLiteral("");
}

QString csvField(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    const QString guarded =
        !text.isEmpty() && formulaStarts.contains(text.front()) ? QLatin1Char('\'') + text : text;
    const bool needsQuotes =
        guarded.contains(QLatin1Char(',')) || guarded.contains(QLatin1Char('"')) ||
        guarded.contains(QLatin1Char('\r')) || guarded.contains(QLatin1Char('\n')) ||
        (!guarded.isEmpty() && (guarded.front().isSpace() || guarded.back().isSpace()));
    if (!needsQuotes)
        return guarded;
    QString inner = guarded;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString isoDate(const QString &stored)
{
    return readStoredDate(stored).toString(Qt::ISODate);
}

// Both files are written in full and synced under no name before either is
// renamed into place: a full disk, a failed write or a killed run leaves both
// earlier files. The two renames follow at once and cannot run out of
// space; POSIX has no rename of two files in one step, so only a power cut
// between them could pair a new patients.csv with the old history.csv.
ExportCounts exportPatientDatabase(const QString &path, const QString &dir, bool overwrite)
{
    const QString names[2] = {QDir(dir).filePath(QStringLiteral("patients.csv")),
                              QDir(dir).filePath(QStringLiteral("history.csv"))};
    for (const QString &name : names)
        refuseUnlessReplaceable(name, overwrite);
    // The application's own open: a file with a trigger or a view is refused.
    ExportCounts counts;
    QByteArray data[2];
    Snapshot(path).use([&](const QString &copy) {
        const auto db = DBEngine::instance().OpenDatabase(copy, true, false, connectString());
        data[0] = patientsCsv(*db, &counts.patients);
        data[1] = historyCsv(*db, &counts.measurements);
    });
    makeFolders(dir);
    std::unique_ptr<QSaveFile> files[2];
    for (int i = 0; i < 2; ++i) {
        refuseUnlessReplaceable(names[i], overwrite);
        files[i] = std::make_unique<QSaveFile>(names[i]);
        QSaveFile &file = *files[i];
        if (!file.open(QIODevice::WriteOnly) ||
            !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
            file.write(data[i]) != data[i].size() || !file.flush() || ::fsync(file.handle()) != 0) {
            const int error = errno;
            const QString text =
                QStringLiteral("Could not write '%1': %2.")
                    .arg(names[i],
                         error ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString());
            fail(error == ENOSPC || error == EDQUOT ? ErrorNumber::DiskFull
                                                    : ErrorNumber::DiskIoError,
                 text);
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (!files[i]->commit())
            fail(
                ErrorNumber::DiskIoError,
                QStringLiteral("Could not write '%1': %2.").arg(names[i], files[i]->errorString()));
    }
    return counts;
}

int exportCsv(const QString &path, const QString &dir, bool force)
{
    return run(QStringLiteral("%1 not exported").arg(native(path)), [&] {
        const ExportCounts counts = exportPatientDatabase(path, dir, force);
        print(QStringLiteral("Exported %1: %2 to %3, %4 to %5.")
                  .arg(native(path), patients(counts.patients),
                       native(QDir(dir).filePath(QStringLiteral("patients.csv"))),
                       measurements(counts.measurements),
                       native(QDir(dir).filePath(QStringLiteral("history.csv")))));
        return int(Success);
    });
}

} // namespace merivex::tool
