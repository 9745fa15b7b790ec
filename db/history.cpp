#include "db/history.h"

#include "db/dates.h"
#include "db/engine_sql.h"
#include "db/statements.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace merivex
{

namespace
{

// The engine's order of the date column's values: nulls, numbers (which a
// TEXT column never stores), texts by the date order, blobs by their bytes.
struct DateKey {
    std::uint32_t row;
    int rank;
    long key; // the date order's key of a text
};

int rankOf(Statement::Type type)
{
    switch (type) {
    case Statement::Type::Null:
        return 0;
    case Statement::Type::Integer:
    case Statement::Type::Real:
        return 1;
    case Statement::Type::Text:
        return 2;
    case Statement::Type::Blob:
        break;
    }
    return 3;
}

bool ownSchema(Database &db)
{
    Statement check = db.prepare(Sql::ownSchema());
    check.bind(1, Sql::engine::schema.value(0));
    check.bind(2, Sql::engine::schema.value(1));
    return check.step() && check.columnInt64(0) == 1;
}

std::string_view textOf(const FieldValue &v)
{
    const auto *text = std::get_if<std::string>(&v);
    return text ? std::string_view(*text) : std::string_view();
}

double numberOf(const FieldValue &v)
{
    if (const auto *number = std::get_if<qint64>(&v))
        return double(*number);
    return std::get<double>(v);
}

// Sorts rows, read in the file's order, as "order by date" does: the
// engine's sort keeps equal keys in the order it read them.
std::vector<HistoryRow> inDateOrder(std::vector<HistoryRow> rows, std::vector<DateKey> keys)
{
    std::stable_sort(keys.begin(), keys.end(), [&](const DateKey &a, const DateKey &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        const FieldValue &x = rows[a.row].date, &y = rows[b.row].date;
        switch (a.rank) {
        case 1:
            return numberOf(x) < numberOf(y);
        case 2:
            return dates::compareKeyed(a.key, textOf(x), b.key, textOf(y)) < 0;
        case 3:
            return textOf(x).compare(textOf(y)) < 0;
        default:
            return false;
        }
    });
    std::vector<HistoryRow> sorted;
    sorted.reserve(rows.size());
    for (const DateKey &k : keys)
        sorted.push_back(std::move(rows[k.row]));
    return sorted;
}

} // namespace

std::vector<HistoryRow> readPatientHistory(Database &db, qint16 id,
                                           std::shared_ptr<Recordset> &result)
{
    namespace Column = Sql::MeasurementRowColumn;
    // On the tables create makes, the engine reads the patient's rows by id
    // and the date order is made here, a key per row instead of a collation
    // call per comparison; on any other file the engine orders them itself.
    const bool own = ownSchema(db);
    if (own)
        result = db.OpenRecordset(Sql::patientMeasurements(), {QVariant(id)}, dbOpenSnapshot,
                                  dbSQLPassThrough);
    else
        result = db.OpenRecordset(Sql::patientMeasurementsByDate(QString::number(id)),
                                  dbOpenSnapshot, dbSQLPassThrough);
    Recordset &records = *result;
    std::vector<HistoryRow> rows;
    if (records.RecordCount() == 0)
        return rows;
    std::vector<DateKey> keys;
    const int thisYear = db.collationYear();
    records.readToEnd([&](const Statement &s) {
        // The type first: reading a blob as text converts it.
        const Statement::Type type = s.columnType(Column::Date);
        rows.push_back({s.columnInt64(Column::IdBMI), s.columnValue(Column::Date),
                        s.columnValue(Column::Height), s.columnValue(Column::Weight),
                        s.columnValue(Column::Bmi)});
        if (!own)
            return;
        const std::string_view date = textOf(rows.back().date);
        keys.push_back({std::uint32_t(rows.size() - 1), rankOf(type),
                        type == Statement::Type::Text
                            ? dates::orderKey(date.data(), date.size(), thisYear)
                            : 0});
    });
    records.Close();
    return own ? inDateOrder(std::move(rows), std::move(keys)) : rows;
}

std::vector<HistoryRow> readPatientHistory(Database &db, qint16 id)
{
    std::shared_ptr<Recordset> result;
    return readPatientHistory(db, id, result);
}

} // namespace merivex
