#include "db/patient_list.h"

#include "db/statements.h"

#include <future>

namespace merivex
{

namespace
{

namespace Column = Sql::PatientListColumn;

// Below this many ids a second connection's opening (about 0.3 ms) costs
// more than reading half the table saves.
constexpr qint64 SplitFrom = 4096;

PatientListRow rowOf(const Statement &s)
{
    PatientListRow row{s.columnValue(Column::Name), s.columnValue(Column::DateRegister), {}};
    if (s.columnType(Column::IdPatient) == Statement::Type::Integer)
        row.id = s.columnInt64(Column::IdPatient);
    return row;
}

void readRows(Recordset &records, std::vector<PatientListRow> &rows)
{
    records.readToEnd([&](const Statement &s) { rows.push_back(rowOf(s)); });
    records.Close();
}

// The ids from low up to end, split in two ranges of about equal length at
// split, when the table is create's own (its ids are its 16-bit integer
// keys, so id order is the order it stores them in) and long enough to be
// worth it.
struct Split {
    qint64 low, split, end;
};

std::optional<Split> splitOf(Database &db)
{
    if (!db.hasOwnSchema())
        return std::nullopt;
    Statement span = db.prepare(Sql::patientIdSpan());
    if (!span.step() || span.columnType(0) != Statement::Type::Integer)
        return std::nullopt;
    const qint64 low = span.columnInt64(0), high = span.columnInt64(1);
    if (high - low < SplitFrom)
        return std::nullopt;
    return Split{low, low + (high - low + 1) / 2, high + 1};
}

} // namespace

std::vector<PatientListRow> readPatientList(Database &db, std::shared_ptr<Recordset> &result)
{
    std::vector<PatientListRow> rows;
    const std::optional<Split> split = splitOf(db);
    if (!split) {
        result = db.OpenRecordset(Sql::patientList(), dbOpenSnapshot, dbSQLPassThrough);
        if (result->RecordCount() > 0)
            readRows(*result, rows);
        return rows;
    }
    // Most of the time goes into decrypting the table's pages, so the upper
    // ids are read at the same time on a reading connection of their own.
    // The file is held by this process and nothing writes while the list is
    // read, so both parts see the same rows.
    auto upper = std::async(std::launch::async, [&db, range = *split] {
        std::vector<PatientListRow> part;
        readRows(*db.openReader()->OpenRecordset(Sql::patientListRange(), {range.split, range.end},
                                                 dbOpenSnapshot, dbSQLPassThrough),
                 part);
        return part;
    });
    result = db.OpenRecordset(Sql::patientListRange(), {split->low, split->split}, dbOpenSnapshot,
                              dbSQLPassThrough);
    readRows(*result, rows);
    std::vector<PatientListRow> part = upper.get();
    rows.insert(rows.end(), std::make_move_iterator(part.begin()),
                std::make_move_iterator(part.end()));
    return rows;
}

} // namespace merivex
