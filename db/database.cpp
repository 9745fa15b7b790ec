#include "db/dao.h"

#include "db/connection.h"
#include "db/engine_sql.h"
#include "db/sqlite.h"

#include <QFile>
#include <QFileInfo>

namespace merivex
{

Database::~Database()
{
    sqlite3_close_v2(m_handle);
}

std::shared_ptr<Recordset> Database::OpenRecordset(const QString &sql, int type, int options)
{
    if ((type != dbOpenDynaset && type != dbOpenSnapshot) || (options & ~dbSQLPassThrough))
        fail(ErrorNumber::InvalidArgument);
    Statement query = prepare(sql);
    if (query.hasTail())
        fail(ErrorNumber::CharactersAfterEnd);
    // A recordset only reads; rows are added through AddNew and Update.
    if (!query.readOnly())
        fail(ErrorNumber::InvalidArgument);
    const bool updatable = type == dbOpenDynaset && !(options & dbSQLPassThrough);
    // Owned at once; the constructor is the layer's own.
    return std::shared_ptr<Recordset>(
        new Recordset(shared_from_this(), sql, std::move(query), updatable));
}

void Database::BeginTrans()
{
    execute(Sql::engine::begin);
}
void Database::CommitTrans()
{
    execute(Sql::engine::commit);
}
void Database::Rollback()
{
    execute(Sql::engine::rollback);
}

Statement Database::prepare(const QString &sql) const
{
    return Statement(m_handle, sql);
}

void Database::execute(const QString &sql) const
{
    Statement statement(m_handle, sql);
    while (statement.step()) {
    }
}

QVariant Database::value(const QString &sql) const
{
    Statement statement(m_handle, sql);
    return statement.step() ? statement.column(0) : QVariant();
}

JournalSettings Database::journalSettings() const
{
    return {value(Sql::engine::journalMode).toString(), value(Sql::engine::synchronous).toInt()};
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
    return std::shared_ptr<Database>(new Database(handle));
}

void DBEngine::CreateDatabase(const QString &path, const QString &connect,
                              const QStringList &schema)
{
    // NewOnly refuses an existing file atomically; no connection to the new
    // file exists yet, so closing our descriptor cannot drop anyone's lock.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (QFileInfo::exists(path))
            fail(ErrorNumber::DatabaseExists, path);
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not create '%1': %2.").arg(path, file.errorString()));
    }
    file.close();

    try {
        engine::OpenOptions options;
        options.allowEmptyFile = true;
        const Database db(engine::openConnection(path, engine::passwordOf(connect), options));
        db.execute(Sql::engine::begin);
        for (const QString &sql : schema)
            db.execute(sql);
        db.execute(Sql::engine::commit);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

} // namespace merivex
