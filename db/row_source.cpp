#include "db/row_source.h"

#include "db/sqlite.h"

namespace merivex
{

namespace
{

QString utf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

QString RowSource::singleTable() const
{
    if (m_columns.empty())
        return {};
    const QString table = m_columns.front().table;
    for (const ResultColumn &column : m_columns) {
        if (column.table.isEmpty() || column.origin.isEmpty() ||
            column.table.compare(table, Qt::CaseInsensitive) != 0)
            return {};
    }
    return table;
}

std::vector<ResultColumn> describeColumns(sqlite3_stmt *stmt)
{
    const int n = sqlite3_column_count(stmt);
    std::vector<ResultColumn> columns;
    columns.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        ResultColumn column;
        column.name = utf8(sqlite3_column_name(stmt, i));
        const char *database = sqlite3_column_database_name(stmt, i);
        if (database && qstrcmp(database, "main") == 0) {
            column.table = utf8(sqlite3_column_table_name(stmt, i));
            column.origin = utf8(sqlite3_column_origin_name(stmt, i));
        }
        column.affinity = convert::affinityOf(utf8(sqlite3_column_decltype(stmt, i)));
        columns.push_back(column);
    }
    return columns;
}

QVariant columnValue(sqlite3_stmt *stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_NULL:
        return {};
    default: // text, and blobs read as text
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(data, sqlite3_column_bytes(stmt, i)));
    }
}

} // namespace merivex
