#include "db/patient_list.h"

#include "db/statements.h"

#include <future>
#include <vector>

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

void readRows(Recordset &records, const std::function<void(PatientListRow &&)> &take)
{
    records.readToEnd([&](const Statement &s) { take(rowOf(s)); });
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

void readPatientList(Database &db, std::shared_ptr<Recordset> &result,
                     const std::function<void(std::size_t)> &expect,
                     const std::function<void(PatientListRow &&)> &take)
{
    const std::optional<Split> split = splitOf(db);
    if (!split) {
        result = db.OpenRecordset(Sql::patientList(), dbOpenSnapshot, dbSQLPassThrough);
        if (result->RecordCount() > 0)
            readRows(*result, take);
        return;
    }
    // Most of the time goes into decrypting the table's pages, so the upper
    // ids are read at the same time on a reading connection of their own,
    // while the lower ones go to take as they come. The file is held by this
    // process and nothing writes while the list is read, so both parts see
    // the same rows.
    expect(std::size_t(split->end - split->low));
    auto upper = std::async(std::launch::async, [&db, range = *split] {
        std::vector<PatientListRow> part;
        readRows(*db.openReader()->OpenRecordset(Sql::patientListRange(), {range.split, range.end},
                                                 dbOpenSnapshot, dbSQLPassThrough),
                 [&part](PatientListRow &&row) { part.push_back(std::move(row)); });
        return part;
    });
    result = db.OpenRecordset(Sql::patientListRange(), {split->low, split->split}, dbOpenSnapshot,
                              dbSQLPassThrough);
    readRows(*result, take);
    for (PatientListRow &row : upper.get())
        take(std::move(row));
}

} // namespace merivex
