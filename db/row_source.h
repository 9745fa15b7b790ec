#pragma once
// Where a recordset's rows come from. A query is stepped as the recordset
// moves, so reading it costs no more than stepping the statement. A dynaset
// over a whole table is a keyset cursor instead: each move fetches one row by
// its rowid, so finding the last of 32,767 rows reads a few pages, not all.
#include "db/conversion.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace merivex
{

struct ResultColumn {
    QString name;   // as the select list names it
    QString table;  // base table, empty for an expression
    QString origin; // base column, empty for an expression
    convert::Affinity affinity = convert::Affinity::Any;
};

class RowSource
{
public:
    virtual ~RowSource() = default;

    const std::vector<ResultColumn> &columns() const { return m_columns; }
    // The one base table when every column is a plain column of it.
    QString singleTable() const;

    virtual long count() const = 0; // 0 exactly when there are no rows
    virtual bool moveFirst() = 0;   // false when there are no rows
    virtual bool moveLast() = 0;
    virtual void moveNext() = 0; // past the last row sets atEnd
    virtual bool atEnd() const = 0;
    virtual QVariant value(int column) const = 0;                // of the current row
    virtual void appended(const std::vector<QVariant> &row) = 0; // a row was stored

protected:
    std::vector<ResultColumn> m_columns;
};

// The column descriptions of a prepared statement.
std::vector<ResultColumn> describeColumns(sqlite3_stmt *stmt);

// Column i of the current row of stmt as null, qint64, double or QString.
QVariant columnValue(sqlite3_stmt *stmt, int i);

// The rows of stmt, which the source now owns; its first row is current.
std::unique_ptr<RowSource> statementRows(sqlite3_stmt *stmt);

// A keyset cursor when sql is "SELECT * FROM table" that the engine answers
// by scanning the rowid table in rowid order; null otherwise.
std::unique_ptr<RowSource> tableKeyset(sqlite3 *db, const QString &sql, sqlite3_stmt *stmt);

} // namespace merivex
