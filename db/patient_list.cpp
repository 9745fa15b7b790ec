#include "db/patient_list.h"

#include "db/statements.h"

namespace merivex
{

std::shared_ptr<Recordset> openPatientList(Database &db, qint64 first, qint64 count)
{
    return db.OpenRecordset(Sql::patientListPart(), {count, first}, dbOpenSnapshot,
                            dbSQLPassThrough);
}

std::vector<PatientListRow> readPatientList(Recordset &records)
{
    namespace Column = Sql::PatientListColumn;
    std::vector<PatientListRow> rows;
    records.readToEnd([&rows](const Statement &s) {
        PatientListRow &row = rows.emplace_back(
            PatientListRow{s.columnValue(Column::Name), s.columnValue(Column::DateRegister), {}});
        if (s.columnType(Column::IdPatient) == Statement::Type::Integer)
            row.id = s.columnInt64(Column::IdPatient);
    });
    records.Close();
    return rows;
}

} // namespace merivex
