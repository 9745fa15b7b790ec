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
// file stores them), and the statement's result: left open when there are
// no rows, closed after reading them.
struct PatientHistory {
    std::vector<HistoryRow> rows;
    std::shared_ptr<Recordset> result;
};
PatientHistory readPatientHistory(Database &db, qint16 id);

// The last history read, given again while nothing it depends on can have
// changed: the same connection, patient and file version, and held is still
// that read's result. A window that searches again on every resize then
// reads the file once.
class HistoryCache
{
public:
    struct Read {
        const std::vector<HistoryRow> &rows;
        std::shared_ptr<Recordset> result; // the new result; none when given again
    };
    Read read(Database &db, qint16 id, const std::shared_ptr<Recordset> &held);

private:
    std::weak_ptr<Database> m_db;
    std::weak_ptr<Recordset> m_result;
    qint16 m_id = 0;
    Database::Version m_version;
    std::vector<HistoryRow> m_rows;
};

} // namespace merivex
