#pragma once
// The statements of merivex-db's check and export.
#include <QString>

namespace merivex::Sql::maintenance
{

inline const QString integrityCheck = QStringLiteral("PRAGMA integrity_check");
// Every object of the schema; the check compares them with what create makes.
inline const QString schemaObjects =
    QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name");
// table is one of the two fixed names, never user input.
inline QString tableInfo(const QString &table)
{
    return QStringLiteral("PRAGMA table_info(%1)").arg(table);
}
inline const QString patientIds =
    QStringLiteral("SELECT IdPatient FROM Biodata ORDER BY IdPatient");
inline const QString measurementIds = QStringLiteral("SELECT IdBMI FROM BMIHistory ORDER BY IdBMI");
inline const QString unknownPatients =
    QStringLiteral("SELECT IdBMI, IdPt FROM BMIHistory WHERE NOT EXISTS "
                   "(SELECT 1 FROM Biodata WHERE Biodata.IdPatient = BMIHistory.IdPt) "
                   "ORDER BY IdBMI");
// A BMI needs numbers, and a height of zero or less gives none.
inline const QString badMeasurements =
    QStringLiteral("SELECT IdBMI, Height, Weight FROM BMIHistory "
                   "WHERE typeof(Height) NOT IN ('integer', 'real') "
                   "OR typeof(Weight) NOT IN ('integer', 'real') "
                   "OR Height <= 0 OR Weight <= 0 ORDER BY IdBMI");
inline const QString patientsForExport = QStringLiteral(
    "SELECT IdPatient, Name, Sex, DateRegister, BirthDate FROM Biodata ORDER BY IdPatient");
inline const QString historyForExport =
    QStringLiteral("SELECT BMIHistory.IdBMI, BMIHistory.IdPt, Biodata.Name, "
                   "BMIHistory.Date, BMIHistory.Height, BMIHistory.Weight, "
                   "Biodata.Sex, Biodata.BirthDate FROM BMIHistory LEFT JOIN Biodata "
                   "ON Biodata.IdPatient = BMIHistory.IdPt ORDER BY BMIHistory.IdBMI");

} // namespace merivex::Sql::maintenance
