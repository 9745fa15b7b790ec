#pragma once
// Every statement the windows send, spelt exactly as they send it, each with
// the columns it reads beside it: by name for the two tables the windows
// append to, by position for the three lists they walk.
#include <QString>

namespace merivex::Sql
{

// Registration: "Select * from Biodata", opened as type 2 to append a patient.
QString patientTable();
namespace PatientColumn
{
inline const QString IdPatient = QStringLiteral("IdPatient");
inline const QString Name = QStringLiteral("Name");
inline const QString Sex = QStringLiteral("Sex");
inline const QString DateRegister = QStringLiteral("DateRegister");
inline const QString BirthDate = QStringLiteral("BirthDate");
} // namespace PatientColumn

// The patient list: name, registration date and id, in id order.
QString patientList();
// Its ?1 rows after the first ?2, as the list window reads them.
QString patientListPart();
namespace PatientListColumn
{
enum : int { Name, DateRegister, IdPatient };
} // namespace PatientListColumn

// Saving a measurement: "Select * from BMIHistory", opened as type 2.
QString measurementTable();
namespace MeasurementColumn
{
inline const QString IdBMI = QStringLiteral("IdBMI");
inline const QString IdPt = QStringLiteral("IdPt");
inline const QString Date = QStringLiteral("Date");
inline const QString Weight = QStringLiteral("Weight");
inline const QString Height = QStringLiteral("Height");
} // namespace MeasurementColumn

// A patient's history (the BMI window's grid) and trend (the graph), by
// date. The id is spliced into the text, so it is checked first: Error 13
// when it is empty or not a whole number, Error 6 when it is outside the
// 16-bit range.
QString patientHistory(const QString &id);
namespace HistoryColumn
{
enum : int { Date, Height, Weight, Bmi };
} // namespace HistoryColumn
// The same rows with their ids, as the file stores them, for ordering
// outside the engine: ?1 is the patient id; none when no patient has it.
QString patientMeasurements();
namespace MeasurementRowColumn
{
enum : int { IdBMI, Date, Height, Weight, Bmi };
} // namespace MeasurementRowColumn
// Those rows ordered by the engine, with the history's join and order, for a
// file whose tables are not the ones create makes; the id as above.
QString patientMeasurementsByDate(const QString &id);
// True (1) when both tables are exactly as create makes them (schema texts
// ?1 and ?2) and BMIHistory has no index: the rows of patientMeasurements
// then come in id order and only their dates rank them.
QString ownSchema();

} // namespace merivex::Sql
