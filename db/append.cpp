#include "db/append.h"

#include "db/date_format.h"
#include "db/int16.h"
#include "db/statements.h"

namespace merivex
{

namespace
{

qint16 lastId(Recordset &records, const QString &column)
{
    if (records.RecordCount() == 0)
        return 0;
    records.MoveLast();
    return toInt16(records.Fields(column).Value());
}

} // namespace

std::shared_ptr<Recordset> openPatientsForAppend(Database &db)
{
    return db.OpenRecordset(Sql::patientTable(), dbOpenDynaset);
}

std::shared_ptr<Recordset> openMeasurementsForAppend(Database &db)
{
    return db.OpenRecordset(Sql::measurementTable(), dbOpenDynaset);
}

qint16 lastPatientId(Recordset &patients)
{
    return lastId(patients, Sql::PatientColumn::IdPatient);
}

qint16 lastMeasurementId(Recordset &measurements)
{
    return lastId(measurements, Sql::MeasurementColumn::IdBMI);
}

qint16 appendPatient(Recordset &patients, qint16 last, const NewPatient &patient)
{
    namespace Column = Sql::PatientColumn;
    const qint16 id = addInt16(last, 1);
    patients.AddNew();
    patients.Fields(Column::IdPatient).setValue(id);
    patients.Fields(Column::Name).setValue(patient.name);
    patients.Fields(Column::Sex).setValue(patient.sex);
    patients.Fields(Column::DateRegister)
        .setValue(formatDate(patient.registered, QStringLiteral("dd/mm/yyyy")));
    patients.Fields(Column::BirthDate).setValue(patient.birthDate);
    patients.Update();
    return id;
}

qint16 appendMeasurement(Recordset &measurements, qint16 last, const NewMeasurement &measurement)
{
    namespace Column = Sql::MeasurementColumn;
    const qint16 id = addInt16(last, 1);
    measurements.AddNew();
    measurements.Fields(Column::IdBMI).setValue(id);
    measurements.Fields(Column::IdPt).setValue(measurement.patient);
    measurements.Fields(Column::Date)
        .setValue(formatDate(measurement.date, QStringLiteral("dd/mm/yy")));
    measurements.Fields(Column::Weight).setValue(measurement.weight);
    measurements.Fields(Column::Height).setValue(measurement.height);
    measurements.Update();
    return id;
}

} // namespace merivex
