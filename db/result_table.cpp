#include "db/result_table.h"

#include "db/errors.h"
#include "db/sqlite.h"

#include <limits>

namespace merivex
{

namespace
{

QString utf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

void ResultTable::read(sqlite3_stmt *stmt)
{
    const int n = sqlite3_column_count(stmt);
    columns.clear();
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
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            sqlite3_reset(stmt);
            engine::raise(sqlite3_db_handle(stmt), rc);
        }
        for (int i = 0; i < n; ++i) {
            Cell cell;
            switch (sqlite3_column_type(stmt, i)) {
            case SQLITE_INTEGER:
                cell.kind = Cell::Integer;
                cell.integer = sqlite3_column_int64(stmt, i);
                break;
            case SQLITE_FLOAT:
                cell.kind = Cell::Real;
                cell.real = sqlite3_column_double(stmt, i);
                break;
            case SQLITE_NULL:
                break;
            default: { // text, and blobs read as text
                const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
                appendText(&cell, data, std::size_t(sqlite3_column_bytes(stmt, i)));
            }
            }
            m_cells.push_back(cell);
        }
    }
}

void ResultTable::appendText(Cell *cell, const char *data, std::size_t size)
{
    if (m_texts.size() + size > std::numeric_limits<quint32>::max())
        throw Error(ErrorNumber::ReservedError, QStringLiteral("Result too large."));
    cell->kind = Cell::Text;
    cell->text.offset = quint32(m_texts.size());
    cell->text.size = quint32(size);
    if (size)
        m_texts.append(data, size);
}

QVariant ResultTable::value(qsizetype row, int column) const
{
    const Cell &cell = m_cells[std::size_t(row * width() + column)];
    switch (cell.kind) {
    case Cell::Integer:
        return QVariant(cell.integer);
    case Cell::Real:
        return QVariant(cell.real);
    case Cell::Text:
        return QVariant(QString::fromUtf8(m_texts.data() + cell.text.offset, cell.text.size));
    case Cell::Null:
        break;
    }
    return {};
}

void ResultTable::appendRow(const std::vector<QVariant> &values)
{
    for (const QVariant &v : values) {
        Cell cell;
        if (v.isNull()) {
        } else if (v.typeId() == QMetaType::LongLong) {
            cell.kind = Cell::Integer;
            cell.integer = v.toLongLong();
        } else if (v.typeId() == QMetaType::Double) {
            cell.kind = Cell::Real;
            cell.real = v.toDouble();
        } else {
            const QByteArray text = v.toString().toUtf8();
            appendText(&cell, text.constData(), std::size_t(text.size()));
        }
        m_cells.push_back(cell);
    }
}

QString ResultTable::singleTable() const
{
    if (columns.empty())
        return {};
    const QString table = columns.front().table;
    for (const ResultColumn &column : columns) {
        if (column.table.isEmpty() || column.origin.isEmpty() ||
            column.table.compare(table, Qt::CaseInsensitive) != 0)
            return {};
    }
    return table;
}

} // namespace merivex
