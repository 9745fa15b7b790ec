#include "db/statement.h"

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
    switch (rc & 0xff) {
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

Statement::Statement(sqlite3 *db, const QString &sql) : m_db(db)
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

Statement::Type Statement::columnType(int i) const
{
    switch (sqlite3_column_type(m_stmt, i)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_NULL:
        return Type::Null;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Text;
    }
}

qint64 Statement::columnInt64(int i) const
{
    return sqlite3_column_int64(m_stmt, i);
}

std::string_view Statement::columnText(int i) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
    return data ? std::string_view(data, std::size_t(sqlite3_column_bytes(m_stmt, i)))
                : std::string_view();
}

FieldValue Statement::columnValue(int i) const
{
    switch (columnType(i)) {
    case Type::Integer:
        return qint64(sqlite3_column_int64(m_stmt, i));
    case Type::Real:
        return sqlite3_column_double(m_stmt, i);
    case Type::Null:
        return {};
    default:
        return std::string(columnText(i));
    }
}

} // namespace merivex
