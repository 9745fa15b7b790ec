#include "db/dao.h"

#include "db/engine_sql.h"
#include "db/failures.h"
#include "db/row_source.h"
#include "db/sqlite.h"
#include "db/tokens.h"

namespace merivex
{

struct Recordset::Private {
    std::shared_ptr<Database> db;
    std::unique_ptr<RowSource> rows; // null once closed
    QStringList names;
    bool updatable = false;
    bool closed = false;

    // The row being added, from AddNew until Update.
    bool adding = false;
    std::vector<QVariant> buffer;
    std::vector<bool> assigned;

    // The last insert, kept prepared for the next append of a bulk load.
    sqlite3_stmt *insert = nullptr;
    QString insertSql;

    void finalizeInsert()
    {
        sqlite3_finalize(insert);
        insert = nullptr;
        insertSql.clear();
    }
};

Recordset::Recordset(const Token &, std::shared_ptr<Database> db, std::unique_ptr<RowSource> rows,
                     bool updatable)
    : d(std::make_unique<Private>())
{
    d->db = std::move(db);
    d->rows = std::move(rows);
    d->updatable = updatable;
    for (const ResultColumn &column : d->rows->columns())
        d->names.append(column.name);
    m_fields.reserve(d->rows->columns().size());
    for (int i = 0; i < int(d->rows->columns().size()); ++i)
        m_fields.push_back(Field(this, i));
}

Recordset::~Recordset()
{
    d->finalizeInsert();
}

void Recordset::checkOpen() const
{
    if (d->closed)
        fail::objectInvalid();
}

long Recordset::RecordCount() const
{
    checkOpen();
    return d->rows->count();
}

void Recordset::MoveFirst()
{
    checkOpen();
    d->adding = false;
    if (!d->rows->moveFirst())
        fail::noCurrentRecord();
}

void Recordset::MoveLast(int)
{
    checkOpen();
    d->adding = false;
    if (!d->rows->moveLast())
        fail::noCurrentRecord();
}

void Recordset::MoveNext()
{
    checkOpen();
    d->adding = false;
    if (d->rows->atEnd())
        fail::noCurrentRecord();
    d->rows->moveNext();
}

bool Recordset::AtEOF() const
{
    checkOpen();
    return d->rows->atEnd();
}

Field &Recordset::Fields(const QString &name)
{
    checkOpen();
    for (qsizetype i = 0; i < d->names.size(); ++i) {
        if (d->names[i].compare(name, Qt::CaseInsensitive) == 0)
            return m_fields[std::size_t(i)];
    }
    fail::itemNotFound();
}

Field &Recordset::Fields(int index)
{
    checkOpen();
    if (index < 0 || index >= int(m_fields.size()))
        fail::itemNotFound();
    return m_fields[std::size_t(index)];
}

void Recordset::AddNew()
{
    checkOpen();
    if (!d->updatable || d->rows->singleTable().isEmpty())
        fail::readOnly();
    d->adding = true;
    d->buffer.assign(m_fields.size(), QVariant());
    d->assigned.assign(m_fields.size(), false);
}

void Recordset::Update(int type, bool)
{
    checkOpen();
    if (type != dbUpdateRegular)
        fail::invalidArgument();
    if (!d->adding)
        fail::updateWithoutAddNew();

    QStringList columns;
    std::vector<const QVariant *> values;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (d->assigned[i]) {
            columns.append(d->rows->columns()[i].origin);
            values.push_back(&d->buffer[i]);
        }
    }
    sqlite3 *db = d->db->nativeHandle();
    // An open connection keeps writing to a file removed or replaced behind
    // it, and the row would go with that file: refuse it instead.
    int moved = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
        fail::diskIo(QStringLiteral("The database file was moved or deleted while in use."));
    const QString sql = Sql::engine::insert(d->rows->singleTable(), columns);
    if (sql != d->insertSql) {
        d->finalizeInsert();
        const QByteArray text = sql.toUtf8();
        const int rc =
            sqlite3_prepare_v2(db, text.constData(), int(text.size()), &d->insert, nullptr);
        if (rc != SQLITE_OK) {
            d->finalizeInsert();
            engine::raise(db, rc);
        }
        d->insertSql = sql;
    }
    sqlite3_stmt *insert = d->insert;
    for (int i = 0; i < int(values.size()); ++i) {
        const QVariant &v = *values[std::size_t(i)];
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(insert, i + 1);
        } else if (v.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(insert, i + 1, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(insert, i + 1, v.toDouble());
        } else {
            const QByteArray text = v.toString().toUtf8();
            rc = sqlite3_bind_text(insert, i + 1, text.constData(), int(text.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) {
            sqlite3_clear_bindings(insert);
            engine::raise(db, rc);
        }
    }
    const int rc = sqlite3_step(insert);
    sqlite3_reset(insert);
    sqlite3_clear_bindings(insert);
    if (rc != SQLITE_DONE)
        engine::raise(db, rc); // still adding: the row can be stored again

    // The stored row joins the end of the records; the current row stays.
    d->rows->appended(d->buffer);
    d->adding = false;
}

void Recordset::Close()
{
    if (d->closed)
        return;
    d->finalizeInsert();
    d->closed = true;
    d->adding = false;
    d->rows.reset();
    d->db.reset();
}

QVariant Recordset::fieldValue(int index) const
{
    checkOpen();
    if (d->adding)
        return d->buffer[std::size_t(index)];
    if (d->rows->atEnd())
        fail::noCurrentRecord();
    return d->rows->value(index);
}

void Recordset::setFieldValue(int index, const QVariant &v)
{
    checkOpen();
    if (!d->updatable)
        fail::readOnly();
    if (!d->adding)
        fail::updateWithoutAddNew();
    // Converted now, so a value the column cannot take fails at the assignment.
    const QVariant stored = convert::toColumn(v, d->rows->columns()[std::size_t(index)].affinity);
    d->buffer[std::size_t(index)] = stored;
    d->assigned[std::size_t(index)] = true;
}

QString Field::Name() const
{
    return m_owner->d->names[m_index];
}
QVariant Field::Value() const
{
    return m_owner->fieldValue(m_index);
}
void Field::setValue(const QVariant &v)
{
    m_owner->setFieldValue(m_index, v);
}

} // namespace merivex
