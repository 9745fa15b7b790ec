#include "db/sqlite.h"

#include "db/failures.h"

namespace merivex::engine
{

namespace
{

QString mainFile(sqlite3 *db)
{
    const char *name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

} // namespace

void raise(sqlite3 *db, int rc)
{
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        fail::fileInUse(mainFile(db));
    case SQLITE_FULL:
        throw Error(ErrorNumber::DiskFull, QStringLiteral("Not enough space on disk."));
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: // a journal that cannot be created
        fail::diskIo();
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        fail::cannotOpen(mainFile(db));
    case SQLITE_READONLY:
        fail::readOnly();
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_CHECK) // the only checks are the 16-bit id ranges
            fail::overflow();
        throw Error(ErrorNumber::DuplicateKey,
                    QStringLiteral("The changes you requested to the table were not successful "
                                   "because they would create duplicate values in the index, "
                                   "primary key, or relationship."));
    case SQLITE_MISMATCH:
        fail::typeMismatch();
    default:
        break;
    }
    const char *message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw Error(ErrorNumber::ReservedError,
                QStringLiteral("Reserved error (%1): %2").arg(rc).arg(QString::fromUtf8(message)));
}

Statement::Statement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK)
        raise(db, rc);
    if (!m_stmt) // only blanks or comments
        fail::invalidArgument();
    for (const char *p = tail; p && *p; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
            m_hasTail = true;
            break;
        }
    }
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The statement keeps the detailed code; reset now so no lock lingers.
    sqlite3_reset(m_stmt);
    raise(m_db, rc);
}

void execute(sqlite3 *db, const QString &sql)
{
    Statement statement(db, sql);
    while (statement.step()) {
    }
}

QString queryText(sqlite3 *db, const QString &sql)
{
    Statement statement(db, sql);
    if (!statement.step())
        return {};
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0));
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace merivex::engine
