#pragma once
// The patients as the list window shows them: the rows of the list
// statement, in its order, each read once.
#include "db/dao.h"
#include "db/field_value.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

namespace merivex
{

// One patient: the two values the list shows, as the engine hands them over,
// and the id when it is an integer (a file made by hand may hold others).
struct PatientListRow {
    FieldValue name, dateRegister;
    std::optional<qint64> id;
};

// Hands every patient to take, in id order, as the rows are read; before
// the first, expect is told how many at most follow when that is known. The
// statement's result replaces the one held in result: left open when there
// are no rows, closed after reading them.
void readPatientList(Database &db, std::shared_ptr<Recordset> &result,
                     const std::function<void(std::size_t)> &expect,
                     const std::function<void(PatientListRow &&)> &take);

} // namespace merivex
