#pragma once
// The statements of merivex-db's import and report.
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

} // namespace merivex::Sql::history
