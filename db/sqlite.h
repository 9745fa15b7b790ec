#pragma once
// The one place that includes the engine's header: the key functions are only
// declared when SQLITE_HAS_CODEC is defined first.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <QString>

namespace merivex::engine
{

// Raises the Error that matches an engine result code on connection db.
[[noreturn]] void raise(sqlite3 *db, int rc);

// Finalizes a prepared statement when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql); // raises on a rejected text
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return m_stmt; }
    sqlite3_stmt *release() // the caller finalizes it
    {
        sqlite3_stmt *stmt = m_stmt;
        m_stmt = nullptr;
        return stmt;
    }
    bool hasTail() const { return m_hasTail; } // text left after the first statement
    bool step();                               // true while there is a row; raises on failure

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_hasTail = false;
};

// Runs statements that return nothing (transactions, settings, schema).
void execute(sqlite3 *db, const QString &sql);

// The first column of the first row as text ("" when there is no row).
QString queryText(sqlite3 *db, const QString &sql);

} // namespace merivex::engine
