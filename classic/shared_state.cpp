#include "classic/shared_state.h"

#include "db/dao.h"

namespace Module1
{

QString CurrentUserName;
QString CurrentPatientId;
std::shared_ptr<merivex::Database> PatientDatabase;
std::shared_ptr<merivex::Recordset> PatientRecordset;
bool BmiWindowLoaded = false;

void ClearSharedState()
{
    PatientRecordset.reset();
    PatientDatabase.reset();
    CurrentUserName.clear();
    CurrentPatientId.clear();
    BmiWindowLoaded = false;
}

} // namespace Module1
