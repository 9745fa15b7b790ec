#pragma once
// The state of Module1 every window shares for the whole run. Start-up and
// the end of the run are the shell's (app/module1.h).
#include <QString>

#include <memory>

namespace merivex
{
class Database;
class Recordset;
} // namespace merivex

namespace Module1
{

// The no-patient marker; also the caption's suffix at start-up.
inline const QString NoUser = QStringLiteral(" - No User");

extern QString CurrentUserName;
extern QString CurrentPatientId;
extern std::shared_ptr<merivex::Database> PatientDatabase;
extern std::shared_ptr<merivex::Recordset> PatientRecordset;
extern bool BmiWindowLoaded;

// Empties the shared state: the result first, then the connection it uses.
void ClearSharedState();

} // namespace Module1
