#include "db/history.h"

#include "db/dates.h"
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
// The rank and, for a text, the date order's key, in one number: valid
// dates chronologically, then every other text.
struct DateKey {
    std::uint64_t primary;
    std::uint32_t row;
    int rank() const { return int(primary >> 32); }
};

constexpr std::uint64_t NoDate = std::uint64_t(1) << 31; // past every date's key

std::uint64_t primaryOf(Statement::Type type, std::string_view text, int thisYear)
{
    switch (type) {
    case Statement::Type::Null:
        return 0;
    case Statement::Type::Integer:
    case Statement::Type::Real:
        return std::uint64_t(1) << 32;
    case Statement::Type::Text: {
        const long key = dates::orderKey(text.data(), text.size(), thisYear);
        return (std::uint64_t(2) << 32) | (key < 0 ? NoDate : std::uint64_t(key));
    }
    case Statement::Type::Blob:
        break;
    }
    return std::uint64_t(3) << 32;
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
    const auto before = [&](const DateKey &a, const DateKey &b) {
        if (a.primary != b.primary)
            return a.primary < b.primary;
        // The same date, or both no date: as the date order, by their bytes.
        const FieldValue &x = rows[a.row].date, &y = rows[b.row].date;
        switch (a.rank()) {
        case 1:
            return numberOf(x) < numberOf(y);
        case 2:
        case 3:
            return textOf(x).compare(textOf(y)) < 0;
        default:
            return false;
        }
    };
    // Measurements are mostly stored as they are taken, in date order.
    if (std::is_sorted(keys.begin(), keys.end(), before))
        return rows;
    std::stable_sort(keys.begin(), keys.end(), before);
    std::vector<HistoryRow> sorted;
    sorted.reserve(rows.size());
    for (const DateKey &key : keys)
        sorted.push_back(std::move(rows[key.row]));
    return sorted;
}

} // namespace

PatientHistory readPatientHistory(Database &db, qint16 id)
{
    namespace Column = Sql::MeasurementRowColumn;
    // On the tables create makes, the engine reads the patient's rows by id
    // and the date order is made here, a key per row instead of a collation
    // call per comparison; on any other file the engine orders them itself.
    const bool own = db.hasOwnSchema();
    PatientHistory history;
    if (own)
        history.result = db.OpenRecordset(Sql::patientMeasurements(), {QVariant(id)},
                                          dbOpenSnapshot, dbSQLPassThrough);
    else
        history.result = db.OpenRecordset(Sql::patientMeasurementsByDate(QString::number(id)),
                                          dbOpenSnapshot, dbSQLPassThrough);
    Recordset &records = *history.result;
    if (records.RecordCount() == 0)
        return history;
    std::vector<HistoryRow> rows;
    std::vector<DateKey> keys;
    const int thisYear = db.collationYear();
    records.readToEnd([&](const Statement &s) {
        Statement::Type type = Statement::Type::Null;
        rows.push_back({s.columnInt64(Column::IdBMI), s.columnValue(Column::Date, &type),
                        s.columnValue(Column::Height), s.columnValue(Column::Weight),
                        s.columnValue(Column::Bmi)});
        if (!own)
            return;
        keys.push_back(
            {primaryOf(type, textOf(rows.back().date), thisYear), std::uint32_t(rows.size() - 1)});
    });
    records.Close();
    history.rows = own ? inDateOrder(std::move(rows), std::move(keys)) : std::move(rows);
    return history;
}

HistoryCache::Read HistoryCache::read(Database &db, qint16 id,
                                      const std::shared_ptr<Recordset> &held)
{
    const Database::Version version = db.version();
    if (m_db.lock().get() == &db && m_id == id && m_version == version && held &&
        m_result.lock() == held)
        return {m_rows, nullptr};
    PatientHistory history = readPatientHistory(db, id);
    m_rows = std::move(history.rows);
    m_db = db.weak_from_this();
    m_result = history.result;
    m_id = id;
    m_version = version;
    return {m_rows, std::move(history.result)};
}

} // namespace merivex
