#pragma once
// Appending a patient or a measurement, the one way the windows and import
// do it: the table opened as an updatable recordset, the id after the last
// row's, the fields set, Update.
#include "db/dao.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <memory>

namespace merivex
{

struct NewPatient {
    QString name, sex;
    QDate registered;
    QString birthDate; // as the registration window writes it
};

struct NewMeasurement {
    QVariant patient; // the id as the caller holds it; the column's type decides
    QDate date;
    double weight = 0, height = 0;
};

// The tables opened for appending ("Select * from Biodata" and "Select *
// from BMIHistory", type 2).
std::shared_ptr<Recordset> openPatientsForAppend(Database &db);
std::shared_ptr<Recordset> openMeasurementsForAppend(Database &db);

// The last row's id, 0 for an empty table.
qint16 lastPatientId(Recordset &patients);
qint16 lastMeasurementId(Recordset &measurements);

// Stores a row with the id after last and returns that id: Error 6 when it
// would pass the 16-bit range, and then nothing is stored.
qint16 appendPatient(Recordset &patients, qint16 last, const NewPatient &patient);
qint16 appendMeasurement(Recordset &measurements, qint16 last, const NewMeasurement &measurement);

} // namespace merivex
