#pragma once
// The one wrapper over a prepared engine statement: prepare, bind, step, read
// a column, reset. Every failure raises merivex::Error with the number users
// see (db/errors.h); the statement is finalized when the wrapper goes.
#include "db/errors.h"
#include "db/field_value.h"

#include <QString>
#include <QVariant>

#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace merivex
{

// Raises the Error that matches an engine result code on connection db.
[[noreturn]] void raise(sqlite3 *db, int rc);

class Statement
{
public:
    // Prepares the first statement of sql; Error 3001 when sql holds none.
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool hasTail() const { return m_hasTail; } // text left after the first statement
    bool readOnly() const;                     // changes nothing in the file

    // Parameter index (1-based) takes null, an integer (any integer type, and
    // bool as 0 or 1), a double, or text for anything else.
    void bind(int index, const QVariant &value);
    // True at a row, false at the end; on failure the statement is reset
    // first, so no lock lingers.
    bool step();
    // Back to before the first row, bindings cleared.
    void reset();

    int columnCount() const;
    QString columnName(int i) const;
    // Where column i comes from: each "" for an expression.
    struct Origin {
        QString table, column, type; // type as declared
    };
    Origin columnOrigin(int i) const;
    // Column i of the current row: null, qint64, double or QString.
    QVariant column(int i) const;

    // Typed readers of column i of the current row, for reading many rows
    // without a QVariant each. A text is valid until the next step.
    enum class Type { Null, Integer, Real, Text, Blob };
    Type columnType(int i) const;
    qint64 columnInt64(int i) const;
    std::string_view columnText(int i) const; // UTF-8; a blob's bytes
    FieldValue columnValue(int i) const;      // what column(i) holds

    sqlite3_stmt *handle() const { return m_stmt; } // for benchmarks only

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_hasTail = false;
};

} // namespace merivex
