#pragma once
// The patients as the list window shows them: the rows of the list
// statement, in its order, each read once.
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

// Every patient, in id order. The statement's result replaces the one held
// in result: left open when there are no rows, closed after reading them.
std::vector<PatientListRow> readPatientList(Database &db, std::shared_ptr<Recordset> &result);

} // namespace merivex
