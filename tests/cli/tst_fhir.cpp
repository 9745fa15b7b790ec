// merivex-db fhir and the import of FHIR Bundles: the export checked by a
// real FHIR validator (Medplum's, tests/fhir, installed by tools/setup.sh),
// which must also reject a broken Bundle; the same bytes from the same data;
// export, import into an empty patient and export again giving the same
// Observations; another system's Bundle in other units.
#include "db/dao.h"
#include "db/statements.h"

#include "patientfile.h"
#include "tool_support.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace merivex;
using dbtest::Run;
using dbtest::runTool;

namespace
{

Run validate(const QString &file)
{
    QProcess node;
    node.start(QStringLiteral("node"), {QStringLiteral(FHIR_VALIDATOR), file});
    if (!node.waitForFinished(120000))
        return {};
    return {node.exitStatus() == QProcess::NormalExit ? node.exitCode() : -1,
            QString::fromUtf8(node.readAllStandardOutput()),
            QString::fromUtf8(node.readAllStandardError())};
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

void writeJson(const QString &path, const QJsonObject &object)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(object).toJson());
}

// Each Observation as what it measured: code, day, value and unit, in order.
QStringList observations(const QJsonObject &bundle)
{
    QStringList found;
    for (const QJsonValue &e : bundle[QStringLiteral("entry")].toArray()) {
        const QJsonObject r = e[QStringLiteral("resource")].toObject();
        if (r[QStringLiteral("resourceType")] != QStringLiteral("Observation"))
            continue;
        const QJsonObject q = r[QStringLiteral("valueQuantity")].toObject();
        found.append(
            QStringLiteral("%1 %2 %3 %4")
                .arg(r[QStringLiteral("code")][QStringLiteral("coding")][0][QStringLiteral("code")]
                         .toString(),
                     r[QStringLiteral("effectiveDateTime")].toString(),
                     QString::number(q[QStringLiteral("value")].toDouble()),
                     q[QStringLiteral("code")].toString()));
    }
    return found;
}

} // namespace

class TestFhir : public QObject
{
    Q_OBJECT

private slots:
    void exportValidatesAndComesBack()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        {
            auto db = testfiles::open(path);
            const testfiles::Values child{{"Name", " Siti \"Jo\" \\ Aminah\tZoë\x01"},
                                          {"Sex", "Female"},
                                          {"BirthDate", "15/03/2017"}};
            for (int id : {1, 2, 3}) {
                testfiles::Values row = child;
                row.push_back({"IdPatient", id});
                testfiles::insertRows(*db, Sql::patientTable(), {row});
            }
            // 1.255 m is 125.5 cm, not 125.49999999999999.
            testfiles::appendMeasurement(*db, 1, "01/04/24", 23.5, 1.22);
            testfiles::appendMeasurement(*db, 1, "01/10/24", 24.1, 1.255);
            testfiles::appendMeasurement(*db, 1, "02/04/25", 25.7, 1.28);
        }
        const QString a = dir.filePath("a.json"), b = dir.filePath("b.json");
        Run run = runTool({"fhir", path, "--patient", "1", a});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains("3 measurements as 9 Observations"), qPrintable(run.out));
        QCOMPARE(runTool({"fhir", path, "--patient", "1", b}).exitCode, 0);
        QCOMPARE(dbtest::hashOf(b), dbtest::hashOf(a));
        // The name as FHIR strings take it: no control characters but tabs
        // and line breaks, no blanks around.
        const QJsonObject person =
            readJson(a)["entry"].toArray()[0].toObject()["resource"].toObject();
        QCOMPARE(person["name"].toArray()[0].toObject()["text"].toString(),
                 QStringLiteral("Siti \"Jo\" \\ Aminah\tZoë"));
        QCOMPARE(QFile::permissions(a),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(runTool({"fhir", path, "--patient", "1", a}).exitCode, 1); // never replaced

        run = validate(a);
        QVERIFY2(run.exitCode == 0 && run.out.contains("valid FHIR R4 Bundle, 9 Observations"),
                 qPrintable(run.out + run.err + "\nInstall the validator with tools/setup.sh."));
        // A weight under another code is no body weight.
        QJsonObject broken = readJson(a);
        QJsonArray entries = broken["entry"].toArray();
        QJsonObject weight = entries[1].toObject();
        QJsonObject resource = weight["resource"].toObject();
        QCOMPARE(
            observations(QJsonObject{{"entry", QJsonArray{weight}}}).value(0).section(' ', 0, 0),
            QStringLiteral("29463-7"));
        QJsonObject code = resource["code"].toObject();
        code["coding"] =
            QJsonArray{QJsonObject{{"system", "http://loinc.org"}, {"code", "29463-8"}}};
        resource["code"] = code;
        weight["resource"] = resource;
        entries[1] = weight;
        broken["entry"] = entries;
        const QString wrong = dir.filePath("wrong-code.json");
        writeJson(wrong, broken);
        run = validate(wrong);
        QVERIFY2(run.exitCode == 1 && run.out.contains("error: Incorrect number of values provided "
                                                       "for slice 'BodyWeightCode'"),
                 qPrintable(run.out + run.err));

        // Into an empty patient and out again: the same Observations.
        run = runTool({"import", a, path, "--patient", "2"});
        QVERIFY2(run.exitCode == 0 && run.out.contains("as FHIR Bundle") &&
                     run.out.contains("Imported 3 measurements"),
                 qPrintable(run.out + run.err));
        const QString again = dir.filePath("again.json");
        QCOMPARE(runTool({"fhir", path, "--patient", "2", again}).exitCode, 0);
        const QStringList first = observations(readJson(a));
        QCOMPARE(first.size(), 9);
        QVERIFY2(first.contains("8302-2 2024-10-01 125.5 cm"), qPrintable(first.join('\n')));
        QCOMPARE(observations(readJson(again)), first);
        // Twice adds nothing.
        run = runTool({"import", a, path, "--patient", "2"});
        QVERIFY2(run.out.contains("Imported 0 measurements") &&
                     run.out.contains("3 equal to a stored measurement"),
                 qPrintable(run.out));

        // Another system's Bundle: grams, pounds, metres and inches, heights
        // matched by day, and what no measurement is.
        const auto observation = [](const char *code, const char *day, double value,
                                    const char *unit) {
            return QJsonObject{
                {"resource",
                 QJsonObject{{"resourceType", "Observation"},
                             {"status", "final"},
                             {"code", QJsonObject{{"coding", QJsonArray{QJsonObject{
                                                                 {"system", "http://loinc.org"},
                                                                 {"code", code}}}}}},
                             {"effectiveDateTime", day},
                             {"valueQuantity", QJsonObject{{"value", value},
                                                           {"system", "http://unitsofmeasure.org"},
                                                           {"code", unit}}}}}};
        };
        const QJsonObject other{
            {"resourceType", "Bundle"},
            {"type", "searchset"},
            {"entry", QJsonArray{observation("8302-2", "2025-05-01T08:30:00+02:00", 1.72, "m"),
                                 observation("29463-7", "2025-05-01T08:30:00+02:00", 70500, "g"),
                                 observation("29463-7", "2025-06-01", 150, "[lb_av]"),
                                 observation("8302-2", "2025-06-01", 68, "[in_i]"),
                                 observation("29463-7", "2025-07-01", 70, "mg/dL"),
                                 observation("39156-5", "2025-07-01", 23, "kg/m2")}}};
        const QString otherFile = dir.filePath("other.json");
        writeJson(otherFile, other);
        run = runTool({"import", otherFile, path, "--patient", "3"});
        QVERIFY2(run.exitCode == 0 && run.out.contains("Imported 2 measurements") &&
                     run.out.contains("1 unreadable: entry 5"),
                 qPrintable(run.out + run.err));
        const QString third = dir.filePath("third.json");
        QCOMPARE(runTool({"fhir", path, "--patient", "3", third}).exitCode, 0);
        QCOMPARE(observations(readJson(third)),
                 QStringList({"29463-7 2025-05-01 70.5 kg", "8302-2 2025-05-01 172 cm",
                              "39156-5 2025-05-01 23.8 kg/m2", "29463-7 2025-06-01 68.04 kg",
                              "8302-2 2025-06-01 172.7 cm", "39156-5 2025-06-01 22.8 kg/m2"}));
    }
};

QTEST_GUILESS_MAIN(TestFhir)
#include "tst_fhir.moc"
