#pragma once
// Start-up and the state every window shares for the whole run.
#include <QString>
#include <functional>
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

// Sub Main: no patient is current, the main window is shown.
void Main();

// Ends the application at once: no window's closing logic runs.
void End();

// Ends the run when the main window and the About box have both gone.
void QuitWhenNoWindowIsLeft();

// Replaces what End does (tests keep their process alive).
void setEndHandler(std::function<void()> handler);

// Back to the state before Sub Main: every window instance discarded without
// events, the shared state emptied. Used at exit and between tests.
void Reset();

} // namespace Module1
