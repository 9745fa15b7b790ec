#include "db/statement.h"

#include "db/checked_files.h"
#include "db/number_text.h"
#include "db/sqlite.h"

#include <cstring>
#include <limits>

namespace merivex
{

namespace
{

QString mainFile(sqlite3 *db)
{
    const char *name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

// Every integer type and bool, except unsigned values past the engine's range.
bool bindsAsInteger(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return true;
    if (!isInteger(v))
        return false;
    const bool unsigned64 = v.typeId() == QMetaType::ULongLong || v.typeId() == QMetaType::ULong;
    return !unsigned64 || v.toULongLong() <= quint64(std::numeric_limits<qint64>::max());
}

QString utf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

} // namespace

void raise(sqlite3 *db, int rc)
{
    // A file beside the database that the file layer refused fails the
    // engine's call as an I/O error: the refusal says which and why.
    const int primary = rc & 0xff;
    if (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)
        files::raiseRefusal();
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        fail(ErrorNumber::FileInUse, mainFile(db));
    case SQLITE_FULL:
        fail(ErrorNumber::DiskFull, QStringLiteral("Writing '%1'.").arg(mainFile(db)));
    case SQLITE_INTERRUPT: // the work limit of an inspecting connection
        fail(ErrorNumber::TooComplex);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN: // a journal that cannot be created
        fail(ErrorNumber::DiskIoError);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        fail(ErrorNumber::CannotOpen, mainFile(db));
    case SQLITE_READONLY:
        fail(ErrorNumber::ReadOnly);
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_CHECK) // the only checks are the 16-bit id ranges
            fail(ErrorNumber::Overflow);
        fail(ErrorNumber::DuplicateKey);
    case SQLITE_MISMATCH:
        fail(ErrorNumber::TypeMismatch);
    default:
        break;
    }
    const char *message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw Error(ErrorNumber::ReservedError,
                QStringLiteral("Reserved error (%1): %2").arg(rc).arg(QString::fromUtf8(message)));
}

Statement::Statement(sqlite3 *db, const QString &sql, std::shared_ptr<const void> owner)
    : m_owner(std::move(owner)), m_db(db)
{
    const QByteArray text = sql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, &tail);
    if (rc != SQLITE_OK)
        raise(db, rc);
    if (!m_stmt) // only blanks or comments
        fail(ErrorNumber::InvalidArgument);
    m_hasTail = tail && tail[std::strspn(tail, " \t\r\n;")] != '\0';
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::readOnly() const
{
    return sqlite3_stmt_readonly(m_stmt) != 0;
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (bindsAsInteger(value)) {
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
    } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
    } else {
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        raise(m_db, rc);
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

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int i) const
{
    return utf8(sqlite3_column_name(m_stmt, i));
}

Statement::Origin Statement::columnOrigin(int i) const
{
    return {utf8(sqlite3_column_table_name(m_stmt, i)), utf8(sqlite3_column_origin_name(m_stmt, i)),
            utf8(sqlite3_column_decltype(m_stmt, i))};
}

QVariant Statement::column(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, i));
    case SQLITE_NULL:
        return {};
    default: // text, and blobs read as text
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        return QVariant(QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, i)));
    }
}

namespace
{

Statement::Type typeOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return Statement::Type::Integer;
    case SQLITE_FLOAT:
        return Statement::Type::Real;
    case SQLITE_NULL:
        return Statement::Type::Null;
    case SQLITE_BLOB:
        return Statement::Type::Blob;
    default:
        return Statement::Type::Text;
    }
}

} // namespace

Statement::Type Statement::columnType(int i) const
{
    return typeOf(sqlite3_column_value(m_stmt, i));
}

qint64 Statement::columnInt64(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}

// One look-up of the column, then the value's own readers: reading many
// rows, each look-up costs as much as the read.
FieldValue Statement::columnValue(int i, Type *type) const
{
    sqlite3_value *v = sqlite3_column_value(m_stmt, i);
    const Type t = typeOf(v);
    if (type)
        *type = t;
    switch (t) {
    case Type::Integer:
        return qint64(sqlite3_value_int64(v));
    case Type::Real:
        return sqlite3_value_double(v);
    case Type::Null:
        return {};
    default: // text, and blobs read as text
        const auto *data = reinterpret_cast<const char *>(sqlite3_value_text(v));
        return data ? std::string(data, std::size_t(sqlite3_value_bytes(v))) : std::string();
    }
}

} // namespace merivex
