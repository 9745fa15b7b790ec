#include "db/engine_sql.h"
#include "db/row_source.h"
#include "db/sqlite.h"

#include <QRegularExpression>

#include <memory>

namespace merivex
{

namespace
{

struct Finalizer {
    void operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }
};
using Prepared = std::unique_ptr<sqlite3_stmt, Finalizer>;

Prepared prepare(sqlite3 *db, const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, nullptr);
    Prepared prepared(stmt);
    if (rc != SQLITE_OK)
        engine::raise(db, rc);
    return prepared;
}

// The rows of one rowid table in rowid order, fetched one at a time. Every
// fetch is reset at once, so no read transaction stays open between moves.
class TableKeyset : public RowSource
{
public:
    TableKeyset(sqlite3 *db, const QString &table, std::vector<ResultColumn> columns,
                Prepared first)
        : m_db(db), m_table(table), m_first(std::move(first))
    {
        m_columns = std::move(columns);
        m_atEnd = !fetch(m_first.get());
        m_count = m_atEnd ? 0 : 1;
    }

    // Rows visited so far, as the old dynasets counted: positive exactly
    // when the table has rows, not its size (counting would read it all).
    long count() const override { return m_count; }

    bool moveFirst() override
    {
        m_atEnd = !fetch(m_first.get());
        return !m_atEnd;
    }

    bool moveLast() override
    {
        if (!m_last)
            m_last = prepare(m_db, Sql::engine::lastRow(m_table));
        m_atEnd = !fetch(m_last.get());
        return !m_atEnd;
    }

    void moveNext() override
    {
        if (!m_next)
            m_next = prepare(m_db, Sql::engine::rowAfter(m_table));
        sqlite3_bind_int64(m_next.get(), 1, m_rowid);
        m_atEnd = !fetch(m_next.get());
        if (!m_atEnd)
            ++m_count;
    }

    bool atEnd() const override { return m_atEnd; }
    QVariant value(int column) const override { return m_row[std::size_t(column)]; }
    void appended(const std::vector<QVariant> &) override { ++m_count; }

private:
    // Makes the row of stmt current; false, and the current row kept, when
    // there is none.
    bool fetch(sqlite3_stmt *stmt)
    {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            m_rowid = sqlite3_column_int64(stmt, 0);
            m_row.clear();
            for (int i = 1; i <= int(m_columns.size()); ++i)
                m_row.push_back(columnValue(stmt, i));
        }
        sqlite3_reset(stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            engine::raise(m_db, rc);
        return rc == SQLITE_ROW;
    }

    sqlite3 *m_db;
    QString m_table;
    Prepared m_first, m_last, m_next;
    qint64 m_rowid = 0;
    std::vector<QVariant> m_row;
    bool m_atEnd = true;
    long m_count = 0;
};

} // namespace

std::unique_ptr<RowSource> tableKeyset(sqlite3 *db, const QString &sql, sqlite3_stmt *stmt)
{
    static const QRegularExpression wholeTable(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = wholeTable.match(sql);
    if (!match.hasMatch())
        return nullptr;
    const QString table = match.captured(1);
    std::vector<ResultColumn> columns = describeColumns(stmt);
    for (const ResultColumn &column : columns) { // a view names other tables
        if (column.table.compare(table, Qt::CaseInsensitive) != 0)
            return nullptr;
    }
    // Only a plain scan of the table itself returns its rows in rowid order.
    Prepared plan = prepare(db, Sql::engine::explainPlan(sql));
    const int detail = sqlite3_column_count(plan.get()) - 1;
    int steps = 0;
    bool scan = false;
    while (sqlite3_step(plan.get()) == SQLITE_ROW) {
        const QString text = QString::fromUtf8(
            reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), detail)));
        scan = text.compare(QStringLiteral("SCAN TABLE ") + table, Qt::CaseInsensitive) == 0 ||
               text.compare(QStringLiteral("SCAN ") + table, Qt::CaseInsensitive) == 0;
        ++steps;
    }
    if (steps != 1 || !scan)
        return nullptr;
    // A table without rowids has no keys to fetch by.
    const QByteArray first = Sql::engine::firstRow(table).toUtf8();
    sqlite3_stmt *raw = nullptr;
    sqlite3_prepare_v2(db, first.constData(), int(first.size()), &raw, nullptr);
    Prepared firstRow(raw);
    if (!firstRow || sqlite3_column_count(raw) != int(columns.size()) + 1)
        return nullptr;
    return std::make_unique<TableKeyset>(db, table, std::move(columns), std::move(firstRow));
}

} // namespace merivex
