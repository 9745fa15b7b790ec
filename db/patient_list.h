#pragma once
// The patients as the list window shows them: the rows of the list
// statement, in its order.
#include "db/dao.h"
#include "db/field_value.h"

#include <memory>
#include <optional>
#include <vector>

namespace merivex
{

// One patient: the two values the list shows, as the engine hands them over,
// and the id when it is an integer (a file made by hand may hold others).
struct PatientListRow {
    FieldValue name, dateRegister;
    std::optional<qint64> id;
};

// The list statement's result for count patients from the first, its
// current row the first of them if any.
std::shared_ptr<Recordset> openPatientList(Database &db, qint64 first, qint64 count);

// Every row of records, from the current one on, in one pass; closes it.
std::vector<PatientListRow> readPatientList(Recordset &records);

} // namespace merivex
