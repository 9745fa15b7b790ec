// FHIR Bundles read for import: Merivex's own and other systems'.
#include "cli/fhir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>

#include <cmath>
#include <optional>

namespace merivex::fhir
{

namespace
{

using import::Row;
using import::Skip;

enum class Kind { Other, Weight, Height };

Kind kindOf(const QJsonObject &observation)
{
    const QJsonArray codings = observation.value(QStringLiteral("code"))
                                   .toObject()
                                   .value(QStringLiteral("coding"))
                                   .toArray();
    for (const QJsonValue &c : codings) {
        const QJsonObject coding = c.toObject();
        if (coding.value(QStringLiteral("system")).toString() != loinc)
            continue;
        const QString code = coding.value(QStringLiteral("code")).toString();
        if (code == bodyWeight)
            return Kind::Weight;
        if (code == bodyHeight)
            return Kind::Height;
    }
    return Kind::Other;
}

// The day of effectiveDateTime (or of an instant or a period's start);
// the time of day is dropped, as for every other format.
QDate dayOf(const QJsonObject &observation)
{
    QString text = observation.value(QStringLiteral("effectiveDateTime")).toString();
    if (text.isEmpty())
        text = observation.value(QStringLiteral("effectiveInstant")).toString();
    if (text.isEmpty())
        text = observation.value(QStringLiteral("effectivePeriod"))
                   .toObject()
                   .value(QStringLiteral("start"))
                   .toString();
    if (text.size() < 10 || (text.size() > 10 && text[10] != QLatin1Char('T')))
        return {};
    return QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
}

// A power of ten applied in decimal: 172 cm is 1.72 m exactly as typed.
double shifted(double value, int places)
{
    return QLocale::c().toDouble(QString::number(value, 'g', QLocale::FloatingPointShortest) +
                                 QStringLiteral("e%1").arg(places));
}

struct Value {
    std::optional<double> number; // none: no value
    QString unit;                 // the UCUM code, else the unit as written
};

Value valueOf(const QJsonObject &observation)
{
    const QJsonObject quantity = observation.value(QStringLiteral("valueQuantity")).toObject();
    Value v;
    const QJsonValue number = quantity.value(QStringLiteral("value"));
    if (number.isDouble())
        v.number = number.toDouble();
    v.unit = quantity.value(QStringLiteral("code")).toString();
    if (v.unit.isEmpty())
        v.unit = quantity.value(QStringLiteral("unit")).toString();
    return v;
}

// Kilograms; none for a unit that is not a weight's.
std::optional<double> kilograms(double value, const QString &unit)
{
    if (unit == QLatin1String("kg"))
        return value;
    if (unit == QLatin1String("g"))
        return shifted(value, -3);
    if (unit == QLatin1String("[lb_av]"))
        return std::round(value * 0.45359237 * 100) / 100;
    return std::nullopt;
}

// Metres; none for a unit that is not a length's.
std::optional<double> metres(double value, const QString &unit)
{
    if (unit == QLatin1String("m"))
        return value;
    if (unit == QLatin1String("cm"))
        return shifted(value, -2);
    if (unit == QLatin1String("[in_i]"))
        return std::round(value * 2.54 * 10) / 1000; // to the millimetre
    return std::nullopt;
}

// Observations that were never made or were withdrawn are no measurements.
bool withdrawn(const QJsonObject &observation)
{
    const QString status = observation.value(QStringLiteral("status")).toString();
    return status == QLatin1String("entered-in-error") || status == QLatin1String("cancelled");
}

} // namespace

bool looksLikeJson(const QByteArray &data)
{
    for (const char c : data) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        return c == '{';
    }
    return false;
}

import::History readBundle(const QByteArray &data){import::History history;
history.firstLine = QString::fromUtf8(data.left(200)).section(QLatin1Char('\n'), 0, 0).trimmed();
history.entries = true;
QJsonParseError error;
const QJsonDocument document = QJsonDocument::fromJson(data, &error);
if (error.error != QJsonParseError::NoError) {
    history.format = QStringLiteral("FHIR Bundle (JSON)");
    history.cut = QStringLiteral("the JSON does not read at byte %1 (%2)")
                      .arg(error.offset)
                      .arg(error.errorString());
    return history;
}
const QJsonObject bundle = document.object();
if (bundle.value(QStringLiteral("resourceType")).toString() != QLatin1String("Bundle"))
    return history; // no format import reads
history.format = QStringLiteral("FHIR Bundle");
history.kilograms = true;
const QJsonArray entries = bundle.value(QStringLiteral("entry")).toArray();

// The heights first, by day, so that a weight finds its day's height
// wherever it stands in the Bundle.
QMap<QDate, double> heights;
for (const QJsonValue &e : entries) {
    const QJsonObject resource = e.toObject().value(QStringLiteral("resource")).toObject();
    if (resource.value(QStringLiteral("resourceType")).toString() != QLatin1String("Observation") ||
        kindOf(resource) != Kind::Height || withdrawn(resource))
        continue;
    const QDate day = dayOf(resource);
    const Value v = valueOf(resource);
    if (!day.isValid() || !v.number || heights.contains(day))
        continue;
    if (const std::optional<double> m = metres(*v.number, v.unit); m && *m > 0)
        heights.insert(day, *m);
}

history.heights = true;
for (qsizetype i = 0; i < entries.size(); ++i) {
    const QJsonObject resource = entries[i].toObject().value(QStringLiteral("resource")).toObject();
    if (resource.value(QStringLiteral("resourceType")).toString() != QLatin1String("Observation") ||
        kindOf(resource) != Kind::Weight || withdrawn(resource))
        continue;
    Row row;
    row.line = int(i + 1);
    row.date = dayOf(resource);
    const Value v = valueOf(resource);
    const std::optional<double> kg = v.number ? kilograms(*v.number, v.unit) : std::nullopt;
    if (!row.date.isValid() || (v.number && !kg))
        row.skip = Skip::Unreadable;
    else if (!kg || !std::isfinite(*kg) || *kg <= 0)
        row.skip = Skip::NoWeight;
    else
        row.weight = *kg;
    if (row.skip == Skip::None) {
        if (heights.contains(row.date))
            row.height = heights.value(row.date);
        else
            history.heights = false;
    }
    history.rows.append(row);
}
return history;
} // namespace merivex::fhir

} // namespace merivex::fhir
