#include "db/dao.h"

#include "db/connection.h"
#include "db/engine_sql.h"
#include "db/failures.h"
#include "db/row_source.h"
#include "db/sqlite.h"
#include "db/tokens.h"

namespace merivex
{

Database::Database(const Token &, sqlite3 *handle) : m_handle(handle) {}

Database::~Database()
{
    sqlite3_close_v2(m_handle);
}

std::shared_ptr<Recordset> Database::OpenRecordset(const QString &sql, int type, int options)
{
    if ((type != dbOpenDynaset && type != dbOpenSnapshot) || (options & ~dbSQLPassThrough))
        fail::invalidArgument();
    engine::Statement statement(m_handle, sql);
    if (statement.hasTail())
        fail::charactersAfterEnd();
    // A recordset only reads; rows are added through AddNew and Update.
    if (!sqlite3_stmt_readonly(statement.get()))
        fail::invalidArgument();
    const bool updatable = type == dbOpenDynaset && !(options & dbSQLPassThrough);
    std::unique_ptr<RowSource> rows;
    if (updatable)
        rows = tableKeyset(m_handle, sql, statement.get());
    if (!rows)
        rows = statementRows(statement.release());
    return std::make_shared<Recordset>(Recordset::Token{}, shared_from_this(), std::move(rows),
                                       updatable);
}

void Database::BeginTrans()
{
    engine::execute(m_handle, Sql::engine::begin());
}
void Database::CommitTrans()
{
    engine::execute(m_handle, Sql::engine::commit());
}
void Database::Rollback()
{
    engine::execute(m_handle, Sql::engine::rollback());
}

JournalSettings Database::journalSettings() const
{
    return {engine::queryText(m_handle, Sql::engine::journalMode()),
            engine::queryText(m_handle, Sql::engine::synchronous()).toInt()};
}

sqlite3 *Database::nativeHandle() const
{
    return m_handle;
}

DBEngine &DBEngine::instance()
{
    static DBEngine engine;
    return engine;
}

std::shared_ptr<Database> DBEngine::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                 const QString &connect)
{
    engine::OpenOptions options;
    options.exclusive = exclusive;
    options.readOnly = readOnly;
    sqlite3 *handle = engine::openConnection(path, engine::passwordOf(connect), options);
    return std::make_shared<Database>(Database::Token{}, handle);
}

} // namespace merivex
