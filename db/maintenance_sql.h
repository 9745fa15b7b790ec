#pragma once
// The statements of merivex-db's check, export and backup.
#include <QString>

namespace merivex::Sql::maintenance
{

QString integrityCheck();
QString tableInfo(const QString &table); // table: one of the two fixed names
QString patientIds();
QString measurementIds();
QString unknownPatients();
QString badMeasurements();
QString patientsForExport();
QString historyForExport();
QString attachCopy();
QString exportToCopy();
QString detachCopy();

} // namespace merivex::Sql::maintenance
