// merivex-db fhir: a patient's measurements as a FHIR R4 Bundle.
#include "cli/fhir.h"

#include "cli/commands.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/files.h"
#include "db/history.h"
#include "db/history_sql.h"
#include "db/statements.h"

#include <QFileInfo>
#include <QLocale>
#include <QUuid>

#include <cmath>
#include <optional>

namespace merivex::fhir
{

namespace
{

// The namespace of Merivex's name-based (version 5) UUIDs.
const QUuid idSpace = QUuid::fromString(QStringLiteral("{0c9f5d0e-5b1a-4c57-9a40-6d0b7f0e3a21}"));

QString uuidOf(const QString &name)
{
    return QUuid::createUuidV5(idSpace, name).toString(QUuid::WithoutBraces);
}

// FHIR strings have no control characters but tab and line breaks, and
// should not begin or end with blanks.
QString fhirString(const QString &text)
{
    QString clean;
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control || c == QLatin1Char('\t') ||
            c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            clean += c;
    return clean.trimmed();
}

std::optional<double> positive(const FieldValue &v)
{
    double value = 0;
    if (const auto *d = std::get_if<double>(&v))
        value = *d;
    else if (const auto *i = std::get_if<qint64>(&v))
        value = double(*i);
    else
        return std::nullopt;
    return std::isfinite(value) && value > 0 ? std::optional<double>(value) : std::nullopt;
}

// The stored value moved by a power of ten in decimal, not in binary: a
// height of 1.72 m is 172 cm, not 171.99999999999997.
double shifted(const QString &decimal, int places)
{
    return QLocale::c().toDouble(decimal + QStringLiteral("e%1").arg(places));
}

// JSON text, written directly: one entry a line, the resource type first.
// A whole history is some 100,000 resources, which a document tree builds
// several times slower.
QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += "\\u00";
            out += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    return out + '"';
}

QByteArray jsonNumber(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

struct Kind {
    const char *profile, *code, *display, *unit;
};
const Kind weightKind{"bodyweight", "29463-7", "Body weight", "kg"};
const Kind heightKind{"bodyheight", "8302-2", "Body height", "cm"};
const Kind bmiKind{"bmi", "39156-5", "Body mass index (BMI)", "kg/m2"};

// References by type and id, which a reader resolves within the Bundle and
// a validator checks against the type it expects.
void observation(QByteArray &out, const QByteArray &id, const Kind &kind, const QByteArray &patient,
                 const QByteArray &day, double value, const QByteArray &derived = {})
{
    out +=
        R"(,
{"resource":{"resourceType":"Observation","id":")" +
        id + R"(","meta":{"profile":["http://hl7.org/fhir/StructureDefinition/)" + kind.profile +
        R"("]},"status":"final","category":[{"coding":[{"system":"http://terminology.hl7.org/CodeSystem/observation-category","code":"vital-signs","display":"Vital Signs"}]}],"code":{"coding":[{"system":"http://loinc.org","code":")" +
        kind.code + R"(","display":")" + kind.display + R"("}]},"subject":{"reference":"Patient/)" +
        patient + R"("},"effectiveDateTime":")" + day + R"(","valueQuantity":{"value":)" +
        jsonNumber(value) + R"(,"unit":")" + kind.unit +
        R"(","system":"http://unitsofmeasure.org","code":")" + kind.unit + R"("})";
    if (!derived.isEmpty())
        out += R"(,"derivedFrom":[)" + derived + ']';
    out += "}}";
}

} // namespace

Bundle exportBundle(Database &db, qint16 patient, const QDate &from, const QDate &to)
{
    Bundle bundle;
    QString name, sex, birthText;
    {
        Statement person = db.prepare(Sql::history::patient);
        person.bind(1, patient);
        if (!person.step())
            throw Error(ErrorNumber::ItemNotFound,
                        QStringLiteral("There is no patient with IdPatient %1.").arg(patient));
        name = fhirString(person.column(0).toString());
        sex = displayText(person.column(1));
        birthText = displayText(person.column(2));
    }
    const QDate birth = readStoredDate(birthText);
    const QString patientId =
        uuidOf(QStringLiteral("patient/%1/%2/%3").arg(patient).arg(name, birthText));
    const QByteArray patientRef = patientId.toLatin1();
    QByteArray &out = bundle.json;
    out = R"({"resourceType":"Bundle","id":")" +
          uuidOf(QStringLiteral("bundle/%1/%2/%3")
                     .arg(patientId, from.toString(Qt::ISODate), to.toString(Qt::ISODate)))
              .toLatin1() +
          R"(","type":"collection","entry":[
{"resource":{"resourceType":"Patient","id":")" +
          patientRef + '"';
    if (!name.isEmpty())
        out += R"(,"name":[{"text":)" + jsonString(name) + "}]";
    out += R"(,"gender":")";
    out += sex == QLatin1String("Male")     ? "male"
           : sex == QLatin1String("Female") ? "female"
                                            : "unknown";
    out += '"';
    if (birth.isValid())
        out += R"(,"birthDate":")" + birth.toString(Qt::ISODate).toLatin1() + '"';
    out += "}}";

    const int thisYear = dates::currentYear();
    for (const HistoryRow &row : readPatientHistory(db, patient).rows) {
        const QDate date = readStoredDate(displayText(row.date), thisYear);
        if ((from.isValid() || to.isValid()) &&
            (!date.isValid() || (from.isValid() && date < from) || (to.isValid() && date > to)))
            continue;
        const std::optional<double> metres = positive(row.height), kilograms = positive(row.weight);
        const double bmi = metres && kilograms ? *kilograms / (*metres * *metres) : 0;
        if (!date.isValid() || !metres || !kilograms || !std::isfinite(bmi)) {
            ++bundle.leftOut;
            continue;
        }
        const QString weightText = displayText(row.weight), heightText = displayText(row.height);
        const QByteArray day = date.toString(Qt::ISODate).toLatin1();
        const QString key = QStringLiteral("%1/%2/%3/%4/%5")
                                .arg(patientId)
                                .arg(row.idBmi)
                                .arg(QLatin1String(day), heightText, weightText);
        const QByteArray weightId = uuidOf(key + QStringLiteral("/weight")).toLatin1();
        const QByteArray heightId = uuidOf(key + QStringLiteral("/height")).toLatin1();
        const QByteArray bmiId = uuidOf(key + QStringLiteral("/bmi")).toLatin1();
        observation(out, weightId, weightKind, patientRef, day, shifted(weightText, 0));
        observation(out, heightId, heightKind, patientRef, day, shifted(heightText, 2));
        observation(out, bmiId, bmiKind, patientRef, day, std::round(bmi * 10) / 10,
                    R"({"reference":"Observation/)" + weightId +
                        R"("},{"reference":"Observation/)" + heightId + R"("})");
        ++bundle.measurements;
    }
    out += "\n]}\n";
    return bundle;
}

} // namespace merivex::fhir

namespace merivex::tool
{

namespace
{

// Exactly yyyy-mm-dd, as the report takes it.
} // namespace

int fhirExport(const QStringList &args)
{
    PatientPeriod given;
    if (const std::optional<int> wrong =
            readPatientPeriod(args, QStringLiteral("fhir"), QStringLiteral("OUT.json"), given))
        return *wrong;
    const QString &path = given.path, &out = given.out;
    const qint16 id = given.id;
    const QDate first = given.first, last = given.last;

    return run(QStringLiteral("%1 not written").arg(native(out)), [&] {
        refuseExisting(out);
        fhir::Bundle bundle;
        Snapshot(path).use([&](const QString &copy) {
            const auto db = DBEngine::instance().OpenDatabase(copy, true, false, connectString());
            bundle = fhir::exportBundle(*db, id, first, last);
        });
        NewFile file(out);
        file.write(bundle.json);
        file.linkAs(out);
        print(QStringLiteral("Wrote %1: patient %2, %3 as %4 Observations.")
                  .arg(native(out), QString::number(id), measurements(bundle.measurements),
                       QString::number(3 * qint64(bundle.measurements))));
        if (bundle.leftOut)
            print(QStringLiteral("Left out %1 without a date, or without a height and a weight "
                                 "above zero.")
                      .arg(measurements(bundle.leftOut)));
        return int(Success);
    });
}

} // namespace merivex::tool
