#pragma once
// A patient's measurements as the history grid and the graph list them: the
// rows of the history statement, in its order, read in one pass.
#include "db/dao.h"
#include "db/field_value.h"

#include <memory>
#include <vector>

namespace merivex
{

// One measurement: its id and the four values the history statement reads,
// as the engine hands them over (bmi is Weight/(Height*Height)).
struct HistoryRow {
    qint64 idBmi = 0;
    FieldValue date, height, weight, bmi;
};

// The measurements of patient id, in the order of the history statement
// ("order by date" under the file's date order, equal dates in the order the
// file stores them). The statement's result replaces the one held in result:
// left open when there are no rows, closed after reading them.
std::vector<HistoryRow> readPatientHistory(Database &db, qint16 id,
                                           std::shared_ptr<Recordset> &result);
std::vector<HistoryRow> readPatientHistory(Database &db, qint16 id);

} // namespace merivex
