// merivex-db import: the measurements of another tracker's history file, or
// of this tool's own export, added to one patient in one transaction.
#include "cli/commands.h"
#include "cli/import_formats.h"
#include "db/append.h"
#include "db/backups.h"
#include "db/checked_files.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/history_sql.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QMap>

#include <cmath>
#include <optional>
#include <set>
#include <utility>

namespace merivex::tool
{

namespace
{

using import::Row;
using import::Skip;

constexpr double kilogramsPerPound = 0.45359237;
constexpr int maximumId = 32767;
constexpr int linesShown = 5;

struct Options {
    QString file, path;
    qint16 patient = 0;
    bool pounds = false;
    std::optional<double> height;
    std::optional<int> sourcePatient;
    bool dryRun = false;
};

// The 16-bit id the application uses, or nothing.
std::optional<qint16> idOf(const QString &text)
{
    bool ok = false;
    const short id = text.toShort(&ok);
    return ok ? std::optional<qint16>(id) : std::nullopt;
}

QString reasonText(Skip skip, int thisYear)
{
    switch (skip) {
    case Skip::Unreadable:
        return QStringLiteral("unreadable");
    case Skip::NoWeight:
        return QStringLiteral("without a weight");
    case Skip::NothingInKg:
        return QStringLiteral("weighing 0 kg once converted and rounded to 10 g");
    case Skip::OtherPatient:
        return QStringLiteral("of another IdPatient than --source-patient");
    case Skip::OutsideYears:
        return QStringLiteral("dated outside %1-%2, the years a dd/mm/yy date holds")
            .arg(thisYear - 80)
            .arg(thisYear + 19);
    case Skip::AlreadyStored:
        return QStringLiteral("equal to a stored measurement (same date and weight)");
    case Skip::Repeated:
        return QStringLiteral("equal to an earlier row of the file (same date and weight)");
    case Skip::None:
        break;
    }
    return {};
}

QString rowsText(qsizetype count)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? "row" : "rows"));
}

QString linesText(const QList<int> &lines, int count, bool entries)
{
    QStringList shown;
    for (int line : lines)
        shown.append(QString::number(line));
    const char *unit =
        entries ? (count == 1 ? "entry" : "entries") : (count == 1 ? "line" : "lines");
    return QStringLiteral("%1 %2%3").arg(QLatin1String(unit), shown.join(QStringLiteral(", ")),
                                         QLatin1String(count > lines.size() ? ", ..." : ""));
}

// The height for files that carry none: --height, else the last one saved.
double heightFor(const Database &db, const Options &options, QString *from)
{
    if (options.height) {
        *from = QStringLiteral("--height");
        return *options.height;
    }
    Statement last = db.prepare(Sql::history::lastHeight);
    last.bind(1, options.patient);
    if (last.step()) {
        const QVariant value = last.column(0);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong) {
            if (value.toDouble() > 0) {
                *from = QStringLiteral("the last stored height");
                return value.toDouble();
            }
        }
    }
    throw Error(ErrorNumber::ItemNotFound,
                QStringLiteral("%1 holds no heights and patient %2 has no stored height; give "
                               "one with --height METRES.")
                    .arg(native(options.file), QString::number(options.patient)));
}

std::set<std::pair<qint64, double>> storedMeasurements(const Database &db, qint16 patient,
                                                       int thisYear)
{
    std::set<std::pair<qint64, double>> stored;
    Statement rows = db.prepare(Sql::history::storedMeasurements);
    rows.bind(1, patient);
    while (rows.step()) {
        const QDate date = readStoredDate(rows.column(0).toString(), thisYear);
        const QVariant weight = rows.column(1);
        if (date.isValid() && weight.canConvert<double>())
            stored.insert({date.toJulianDay(), weight.toDouble()});
    }
    return stored;
}

int importFile(const Options &options)
{
    const import::History history = import::readHistory(files::readUserFile(options.file));
    if (history.format.isEmpty())
        throw Error(ErrorNumber::TypeMismatch,
                    QStringLiteral("%1 is in no format import reads; its first line is \"%2\".")
                        .arg(native(options.file), shown(history.firstLine.left(100))));
    if (!history.cut.isEmpty())
        throw Error(ErrorNumber::TypeMismatch,
                    QStringLiteral("%1 reads as cut off: %2. A number cut short reads as a "
                                   "smaller one, so nothing was imported. Take the whole file "
                                   "again, or end its last line if it is whole.")
                        .arg(native(options.file), history.cut));
    if (options.pounds && history.kilograms)
        return usageError(QStringLiteral("%1 is %2, whose weights are in kilograms: --unit lb "
                                         "does not apply.")
                              .arg(native(options.file), history.format));
    if (options.sourcePatient && !history.heights)
        return usageError(QStringLiteral("--source-patient applies to Merivex history.csv only; "
                                         "%1 is %2.")
                              .arg(native(options.file), history.format));

    const auto db = DBEngine::instance().OpenDatabase(options.path, true, false, connectString());
    {
        Statement patient = db->prepare(Sql::history::patient);
        patient.bind(1, options.patient);
        if (!patient.step())
            throw Error(ErrorNumber::ItemNotFound,
                        QStringLiteral("There is no patient with IdPatient %1 in %2.")
                            .arg(options.patient)
                            .arg(native(options.path)));
    }
    QString heightFrom = QStringLiteral("the file");
    const double height = history.heights ? 0 : heightFor(*db, options, &heightFrom);
    const int thisYear = dates::currentYear();
    const auto stored = storedMeasurements(*db, options.patient, thisYear);

    struct Measurement {
        QDate date;
        double weight, height;
    };
    QList<Measurement> taken;
    QMap<Skip, QList<int>> lines;
    QMap<Skip, int> skipped;
    std::set<std::pair<qint64, double>> seen; // the file's rows so far
    for (const Row &row : history.rows) {
        Skip skip = row.skip;
        const double weight =
            options.pounds ? std::round(row.weight * kilogramsPerPound * 100) / 100 : row.weight;
        if (skip == Skip::None && weight <= 0)
            skip = Skip::NothingInKg;
        if (skip == Skip::None && options.sourcePatient && row.patient != *options.sourcePatient)
            skip = Skip::OtherPatient;
        if (skip == Skip::None &&
            (row.date.year() < thisYear - 80 || row.date.year() > thisYear + 19))
            skip = Skip::OutsideYears;
        const std::pair<qint64, double> measured{row.date.toJulianDay(), weight};
        if (skip == Skip::None && !seen.insert(measured).second)
            skip = Skip::Repeated;
        if (skip == Skip::None && stored.count(measured))
            skip = Skip::AlreadyStored;
        if (skip == Skip::None) {
            taken.append({row.date, weight, row.height.value_or(height)});
        } else {
            if (++skipped[skip] <= linesShown)
                lines[skip].append(row.line);
        }
    }

    // Held since the open, the file is copied as it is before the import.
    QString backup;
    if (!options.dryRun && !taken.isEmpty())
        backup = backUpBefore(options.path, QStringLiteral("import"));
    // The ids continue the table's, as every save takes the last row's + 1.
    if (!options.dryRun)
        db->BeginTrans();
    auto records = openMeasurementsForAppend(*db);
    const qint16 last = lastMeasurementId(*records);
    if (int(last) + taken.size() > maximumId)
        throw Error(
            ErrorNumber::Overflow,
            QStringLiteral("Overflow: %1 holds measurements up to IdBMI %2 and %3 more "
                           "would pass 32767, the most it can hold. Nothing was imported.")
                .arg(native(options.path), QString::number(last), QString::number(taken.size())));
    if (!options.dryRun) {
        qint16 id = last;
        for (const Measurement &m : taken)
            id = appendMeasurement(*records, id, {options.patient, m.date, m.weight, m.height});
        records->Close();
        db->CommitTrans();
    }

    print(QStringLiteral("Read %1 of %2 as %3, weights in %4.")
              .arg(rowsText(history.rows.size()), native(options.file), history.format,
                   QLatin1String(options.pounds ? "lb (converted to kg)" : "kg")));
    QString added =
        QStringLiteral("%1 %2 for patient %3")
            .arg(QLatin1String(options.dryRun ? "Would import" : "Imported"))
            .arg(taken.size() == 1 ? QStringLiteral("1 measurement")
                                   : QStringLiteral("%1 measurements").arg(taken.size()))
            .arg(options.patient);
    if (!taken.isEmpty())
        added +=
            QStringLiteral(" as IdBMI %1 to %2, heights from %3")
                .arg(last + 1)
                .arg(last + taken.size())
                .arg(history.heights ? heightFrom
                                     : QStringLiteral("%1 (%2 m)").arg(heightFrom).arg(height));
    print(added + (options.dryRun ? QStringLiteral("; nothing was stored (--dry-run).")
                                  : QStringLiteral(".")));
    int total = 0;
    for (int count : skipped)
        total += count;
    print(QStringLiteral("Skipped %1%2").arg(rowsText(total), QLatin1String(total ? ":" : ".")));
    for (auto it = skipped.cbegin(); it != skipped.cend(); ++it)
        print(QStringLiteral("  %1 %2: %3")
                  .arg(it.value())
                  .arg(reasonText(it.key(), thisYear),
                       linesText(lines[it.key()], it.value(), history.entries)));
    if (!backup.isEmpty())
        print(QStringLiteral("Backed up first as %1; to undo this import: merivex-db restore %2 "
                             "%3")
                  .arg(native(backup), QFileInfo(backup).fileName(), native(options.path)));
    return int(Success);
}

} // namespace

int importHistory(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption patient(QStringLiteral("patient"), QStringLiteral("Patient."),
                                     QStringLiteral("ID"));
    const QCommandLineOption unit(QStringLiteral("unit"), QStringLiteral("kg or lb."),
                                  QStringLiteral("UNIT"), QStringLiteral("kg"));
    const QCommandLineOption height(QStringLiteral("height"), QStringLiteral("Height."),
                                    QStringLiteral("METRES"));
    const QCommandLineOption source(QStringLiteral("source-patient"),
                                    QStringLiteral("IdPatient in the file."), QStringLiteral("ID"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Report only."));
    parser.addOptions({patient, unit, height, source, dryRun});
    if (!parser.parse(QStringList{QStringLiteral("merivex-db")} + args))
        return usageError(parser.errorText());
    const QStringList names = parser.positionalArguments();
    if (names.isEmpty() || names.size() > 2)
        return usageError(QStringLiteral("import takes FILE [PATH]."));

    Options options;
    options.file = names.first();
    options.path = names.size() > 1 ? names[1] : databasePath();
    options.dryRun = parser.isSet(dryRun);
    const std::optional<qint16> id = idOf(parser.value(patient));
    if (!id)
        return usageError(QStringLiteral("import needs --patient ID, a patient's IdPatient."));
    options.patient = *id;
    if (parser.value(unit) != QLatin1String("kg") && parser.value(unit) != QLatin1String("lb"))
        return usageError(QStringLiteral("--unit is kg or lb."));
    options.pounds = parser.value(unit) == QLatin1String("lb");
    if (parser.isSet(height)) {
        bool read = false;
        const std::optional<double> metres = parser.value(height).trimmed().toDouble(&read);
        // 172 is a height in centimetres, which gives every BMI as 0.
        if (!read || !std::isfinite(*metres) || *metres <= 0 || *metres > 3)
            return usageError(QStringLiteral("--height is in metres, such as 1.72."));
        options.height = *metres;
    }
    if (parser.isSet(source)) {
        const std::optional<qint16> from = idOf(parser.value(source));
        if (!from)
            return usageError(QStringLiteral("--source-patient takes an IdPatient."));
        options.sourcePatient = *from;
    }
    return run(QStringLiteral("%1 not imported").arg(native(options.file)),
               [&] { return importFile(options); });
}

} // namespace merivex::tool
