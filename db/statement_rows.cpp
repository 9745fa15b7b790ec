#include "db/row_source.h"
#include "db/sqlite.h"

namespace merivex
{

namespace
{

// The rows of a query, stepped as the recordset moves: a walk to the end
// costs what stepping the statement costs, with no copy of the rows. The
// statement is reset as soon as it reaches its end, which releases its read
// transaction; MoveFirst after moving runs the statement again.
class StatementRows : public RowSource
{
public:
    explicit StatementRows(sqlite3_stmt *stmt) : m_stmt(stmt)
    {
        // A failing first step would otherwise leave the statement, and with
        // it the connection, open for the rest of the run.
        try {
            m_columns = describeColumns(stmt);
            step();
        } catch (...) {
            sqlite3_finalize(m_stmt);
            throw;
        }
        m_count = m_atEnd ? 0 : 1;
    }
    ~StatementRows() override { sqlite3_finalize(m_stmt); }

    // Rows visited so far: positive exactly when there are rows.
    long count() const override { return m_count; }

    bool moveFirst() override
    {
        if (m_moved) {
            sqlite3_reset(m_stmt);
            m_moved = false;
            m_held.clear();
            step();
        }
        return !m_atEnd;
    }

    bool moveLast() override
    {
        if (!moveFirst())
            return false;
        std::vector<QVariant> last;
        while (!m_atEnd) {
            last = currentRow();
            moveNext();
        }
        m_held = std::move(last);
        m_atEnd = false;
        return true;
    }

    void moveNext() override
    {
        m_moved = true;
        if (!m_held.empty()) { // after MoveLast the statement is at its end
            m_held.clear();
            m_atEnd = true;
            return;
        }
        step();
        if (!m_atEnd)
            ++m_count;
    }

    bool atEnd() const override { return m_atEnd; }

    QVariant value(int column) const override
    {
        if (!m_held.empty())
            return m_held[std::size_t(column)];
        return columnValue(m_stmt, column);
    }

    void appended(const std::vector<QVariant> &) override {}

private:
    void step()
    {
        const int rc = sqlite3_step(m_stmt);
        m_atEnd = rc != SQLITE_ROW;
        if (rc == SQLITE_ROW)
            return;
        sqlite3_reset(m_stmt);
        if (rc != SQLITE_DONE)
            engine::raise(sqlite3_db_handle(m_stmt), rc);
    }

    std::vector<QVariant> currentRow() const
    {
        std::vector<QVariant> row;
        for (int i = 0; i < int(m_columns.size()); ++i)
            row.push_back(columnValue(m_stmt, i));
        return row;
    }

    sqlite3_stmt *m_stmt;
    std::vector<QVariant> m_held; // the last row, kept by MoveLast
    bool m_atEnd = true;
    bool m_moved = false;
    long m_count = 0;
};

} // namespace

std::unique_ptr<RowSource> statementRows(sqlite3_stmt *stmt)
{
    return std::make_unique<StatementRows>(stmt);
}

} // namespace merivex
