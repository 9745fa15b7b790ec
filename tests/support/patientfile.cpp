#include "patientfile.h"

#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/int16.h"
#include "db/statements.h"

#include <QDate>
#include <QProcess>

using namespace merivex;

namespace testfiles
{

namespace
{
const QStringList patientColumns{"IdPatient", "Name", "Sex", "DateRegister", "BirthDate"};
const QStringList measurementColumns{"IdBMI", "IdPt", "Date", "Weight", "Height"};

Values valuesOf(const QStringList &columns, const QList<QVariant> &row)
{
    Values values;
    for (qsizetype i = 0; i < columns.size(); ++i)
        values.emplace_back(columns[i], row[i]);
    return values;
}

QList<QList<QVariant>> rowsOf(const QString &sql, const QStringList &columns)
{
    auto db = openPatientDatabase();
    auto rs = db->OpenRecordset(sql, dbOpenSnapshot);
    QList<QList<QVariant>> rows;
    for (; !rs->AtEOF(); rs->MoveNext()) {
        QList<QVariant> row;
        for (const QString &column : columns)
            row.append(rs->Fields(column).Value());
        rows.append(row);
    }
    rs->Close();
    return rows;
}
} // namespace

QString createDatabase(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    createPatientDatabase(path);
    return path;
}

std::shared_ptr<Database> open(const QString &path)
{
    return DBEngine::instance().OpenDatabase(path, true, false, connectString());
}

qint16 appendWithNextId(Database &db, const QString &sql, const QString &idColumn,
                        const Values &values)
{
    auto rs = db.OpenRecordset(sql, dbOpenDynaset);
    qint16 last = 0;
    if (rs->RecordCount() != 0) {
        rs->MoveLast();
        last = toInt16(rs->Fields(idColumn).Value());
    }
    rs->AddNew();
    rs->Fields(idColumn).setValue(addInt16(last, 1));
    const qint16 id = toInt16(rs->Fields(idColumn).Value());
    for (const auto &[column, value] : values)
        rs->Fields(column).setValue(value);
    rs->Update(dbUpdateRegular);
    rs->Close();
    return id;
}

qint16 appendPatient(Database &db, const QString &name)
{
    return appendWithNextId(db, Sql::patientTable(), QStringLiteral("IdPatient"),
                            {{QStringLiteral("Name"), name},
                             {QStringLiteral("Sex"), QStringLiteral("Female")},
                             {QStringLiteral("DateRegister"), QStringLiteral("06/12/2026")},
                             {QStringLiteral("BirthDate"), QStringLiteral("05/01/1970")}});
}

qint16 appendMeasurement(Database &db, qint16 patient, const QString &date, const QVariant &weight,
                         const QVariant &height)
{
    return appendWithNextId(db, Sql::measurementTable(), QStringLiteral("IdBMI"),
                            {{QStringLiteral("IdPt"), QString::number(patient)},
                             {QStringLiteral("Date"), date},
                             {QStringLiteral("Weight"), weight},
                             {QStringLiteral("Height"), height}});
}

void insertRows(Database &db, const QString &sql, const QList<Values> &rows)
{
    auto rs = db.OpenRecordset(sql, dbOpenDynaset);
    for (const Values &values : rows) {
        rs->AddNew();
        for (const auto &[column, value] : values)
            rs->Fields(column).setValue(value);
        rs->Update();
    }
    rs->Close();
}

QList<QStringList> readAll(Database &db, const QString &sql)
{
    auto rs = db.OpenRecordset(sql, dbOpenSnapshot, dbSQLPassThrough);
    QList<QStringList> rows;
    if (rs->RecordCount() == 0)
        return rows;
    int columns = 0;
    while (errorNumber([&] { rs->Fields(columns); }) == 0)
        ++columns;
    for (rs->MoveFirst(); !rs->AtEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 0; i < columns; ++i)
            row.append(displayText(rs->Fields(i).Value()));
        rows.append(row);
    }
    rs->Close();
    return rows;
}

QStringList shell(const QString &path, const QStringList &statements, QString *error)
{
    QProcess process;
    process.start(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), path});
    if (!process.waitForStarted()) {
        *error = QStringLiteral("sqlcipher shell did not start");
        return {};
    }
    // SQLCipher 4 answers the key with a row of its own, SQLCipher 3 with
    // none: what the statements print starts after the marker.
    const QString keyed = QStringLiteral("-- keyed --");
    QByteArray input =
        "PRAGMA key='vexo';\nPRAGMA cipher_compatibility = 3;\n.print " + keyed.toUtf8() + "\n";
    for (const QString &statement : statements)
        input += statement.toUtf8() + ";\n";
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        *error = QString::fromUtf8(process.readAllStandardError());
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.mid(lines.indexOf(keyed) + 1);
}

int errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &error) {
        return error.number();
    }
    return 0;
}

void addPatients(const QList<Patient> &rows)
{
    QList<Values> values;
    for (const Patient &p : rows)
        values.append(valuesOf(patientColumns, {p.id, p.name, p.sex, p.dateRegister, p.birthDate}));
    insertRows(*openPatientDatabase(), Sql::patientTable(), values);
}

void addPatient(int id, const QString &name)
{
    addPatients({{id, name, QStringLiteral("Male"), QStringLiteral("01/01/2001"),
                  QStringLiteral("01/01/1970")}});
}

void addMeasurements(const QList<Measurement> &rows)
{
    QList<Values> values;
    for (const Measurement &m : rows)
        values.append(valuesOf(measurementColumns, {m.idBmi, m.idPt, m.date, m.weight, m.height}));
    insertRows(*openPatientDatabase(), Sql::measurementTable(), values);
}

void addManyPatients(int n)
{
    auto db = openPatientDatabase();
    QList<Values> values;
    for (int id = 1; id <= n; ++id)
        values.append(valuesOf(patientColumns,
                               {id, QStringLiteral("Patient %1").arg(id), QStringLiteral("Male"),
                                QStringLiteral("01/02/2003"), QStringLiteral("04/05/1960")}));
    db->BeginTrans();
    insertRows(*db, Sql::patientTable(), values);
    db->CommitTrans();
}

void addManyMeasurements(int patient, int n)
{
    auto db = openPatientDatabase();
    QList<Values> values;
    const QDate first(2001, 1, 1);
    for (int i = 0; i < n; ++i)
        values.append(
            valuesOf(measurementColumns,
                     {i + 1, patient, formatDate(first.addDays(i), QStringLiteral("dd/mm/yy")),
                      20 + i % 10, 1.0}));
    db->BeginTrans();
    insertRows(*db, Sql::measurementTable(), values);
    db->CommitTrans();
}

QList<Patient> patients()
{
    QList<Patient> result;
    for (const QList<QVariant> &r : rowsOf(Sql::patientTable(), patientColumns))
        result.append({r[0], r[1], r[2], r[3], r[4]});
    return result;
}

QList<Measurement> measurements()
{
    QList<Measurement> result;
    for (const QList<QVariant> &r : rowsOf(Sql::measurementTable(), measurementColumns))
        result.append({r[0], r[1], r[2], r[3], r[4]});
    return result;
}

} // namespace testfiles
