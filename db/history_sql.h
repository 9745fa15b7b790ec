#pragma once
// The statements of merivex-db's import and report, and of deleting one
// measurement, which the BMI window and the tool share.
#include <QString>

namespace merivex::Sql::history
{

// ?1 is the patient id.
inline const QString patient =
    QStringLiteral("SELECT Name, Sex, BirthDate FROM Biodata WHERE IdPatient = ?1");
inline const QString storedMeasurements =
    QStringLiteral("SELECT Date, Weight FROM BMIHistory WHERE IdPt = ?1");
inline const QString lastHeight =
    QStringLiteral("SELECT Height FROM BMIHistory WHERE IdPt = ?1 ORDER BY IdBMI DESC LIMIT 1");

// ?1 is the IdBMI. The patient's name comes along for the tool's report; a
// row whose patient is gone still reads, with a null name.
inline const QString measurement =
    QStringLiteral("SELECT BMIHistory.IdPt, Biodata.Name, BMIHistory.Date, BMIHistory.Height, "
                   "BMIHistory.Weight FROM BMIHistory LEFT JOIN Biodata "
                   "ON Biodata.IdPatient = BMIHistory.IdPt WHERE BMIHistory.IdBMI = ?1");
inline const QString deleteMeasurement = QStringLiteral("DELETE FROM BMIHistory WHERE IdBMI = ?1");

} // namespace merivex::Sql::history
