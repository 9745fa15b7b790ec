#include "db/patient_list.h"

#include "db/statements.h"

#include <QScopeGuard>

#include <atomic>
#include <chrono>
#include <future>
#include <vector>

namespace merivex
{

namespace
{

namespace Column = Sql::PatientListColumn;

// Below this many ids a second connection's opening (about 0.3 ms) costs
// more than reading part of the table on it saves.
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

// The ids from low up to end, when the table is create's own (its ids are
// its 16-bit integer keys, so id order is the order it stores them in) and
// long enough to be worth reading on two connections, cut into pieces of
// about equal length.
struct Split {
    static constexpr int Pieces = 16;
    qint64 low, end;
    QVariantList bounds(int piece) const
    {
        return {low + (end - low) * piece / Pieces, low + (end - low) * (piece + 1) / Pieces};
    }
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
    return Split{low, high + 1};
}

std::shared_ptr<Recordset> openPiece(Database &db, const Split &split, int piece)
{
    return db.OpenRecordset(Sql::patientListRange(), split.bounds(piece), dbOpenSnapshot,
                            dbSQLPassThrough);
}

std::vector<PatientListRow> readPiece(Database &db, const Split &split, int piece)
{
    std::vector<PatientListRow> rows;
    readRows(*openPiece(db, split, piece),
             [&rows](PatientListRow &&row) { rows.push_back(std::move(row)); });
    return rows;
}

// Most of the time goes into decrypting the table's pages, so a reading
// connection of its own, on a second thread, reads pieces of the id range
// while this one does: each takes the next piece nobody has taken, so the
// faster reads more. Rows reach take in id order, straight from this
// connection's pieces while no earlier piece is outstanding. The file is
// held by this process and nothing writes while the list is read, so both
// connections see the same rows.
void readInPieces(Database &db, const Split &split, std::shared_ptr<Recordset> &result,
                  const std::function<void(PatientListRow &&)> &take)
{
    using Rows = std::vector<PatientListRow>;
    std::atomic<int> next{1}; // the first piece is this connection's
    std::vector<std::promise<Rows>> theirs(Split::Pieces);
    std::vector<std::future<Rows>> read;
    for (auto &piece : theirs)
        read.push_back(piece.get_future());
    // A helper that fails leaves its piece's failure to be raised here, and
    // the pieces it has not taken (all of them, when it cannot open the
    // file) to this connection.
    auto helper = std::async(std::launch::async, [&] {
        const std::shared_ptr<Database> reader = db.openReader();
        for (int piece; (piece = next++) < Split::Pieces;) {
            try {
                theirs[std::size_t(piece)].set_value(readPiece(*reader, split, piece));
            } catch (...) {
                theirs[std::size_t(piece)].set_exception(std::current_exception());
                return;
            }
        }
    });
    const auto stopHelper = qScopeGuard([&] { next = Split::Pieces; });

    std::vector<std::optional<Rows>> mine(Split::Pieces);
    int handed = 0; // pieces whose rows take has had
    const auto handOver = [&](bool wait) {
        for (; handed < Split::Pieces; ++handed) {
            std::optional<Rows> &own = mine[std::size_t(handed)];
            std::future<Rows> &f = read[std::size_t(handed)];
            if (!own && !wait && f.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                return;
            Rows rows = own ? std::move(*own) : f.get();
            for (PatientListRow &row : rows)
                take(std::move(row));
        }
    };
    result = openPiece(db, split, 0);
    readRows(*result, take);
    handed = 1;
    for (int piece; (piece = next++) < Split::Pieces;) {
        handOver(false);
        if (handed == piece) {
            readRows(*openPiece(db, split, piece), take);
            ++handed;
        } else {
            mine[std::size_t(piece)] = readPiece(db, split, piece);
        }
    }
    handOver(true);
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
    expect(std::size_t(split->end - split->low));
    readInPieces(db, *split, result, take);
}

} // namespace merivex
