#include "db/dao.h"

#include "db/engine_sql.h"
#include "db/sqlite.h"
#include "db/values.h"

namespace merivex
{

Recordset::Recordset(std::shared_ptr<Database> db, const QString &sql,
                     const QVariantList &parameters, bool updatable)
    : m_db(std::move(db)), m_updatable(updatable)
{
    m_query.emplace(m_db->m_handle, sql);
    for (qsizetype i = 0; i < parameters.size(); ++i)
        m_query->bind(int(i) + 1, parameters[i]);
    if (m_query->hasTail())
        fail(ErrorNumber::CharactersAfterEnd);
    // A recordset only reads; rows are added through AddNew and Update.
    if (!m_query->readOnly())
        fail(ErrorNumber::InvalidArgument);
    const int n = m_query->columnCount();
    for (int i = 0; i < n; ++i) {
        const Statement::Origin origin = m_query->columnOrigin(i);
        m_columns.push_back({m_query->columnName(i), origin.column, affinityOf(origin.type)});
        m_fields.push_back(Field(this, i));
        // Rows can be added only when every column is a plain column of one table.
        if (origin.column.isEmpty() ||
            (i > 0 && origin.table.compare(m_table, Qt::CaseInsensitive) != 0))
            m_updatable = false;
        m_table = origin.table;
    }
    m_updatable = m_updatable && n > 0;
    m_wholeTable = m_updatable && sql.simplified().compare(Sql::engine::wholeTable(m_table),
                                                           Qt::CaseInsensitive) == 0;
    step(); // a failure here finalizes the statement with the recordset
    m_count = m_atEnd ? 0 : 1;
}

void Recordset::checkOpen() const
{
    if (!m_db)
        fail(ErrorNumber::ObjectInvalid);
}

// The next row. At the statement's end it is reset at once, which releases
// its read transaction, and the rows of the tail follow.
void Recordset::step()
{
    if (m_onStatement) {
        m_atEnd = false;
        if (m_query->step())
            return;
        m_query->reset();
        m_onStatement = false;
        m_tailAt = 0;
    } else {
        ++m_tailAt;
    }
    m_atEnd = m_tailAt >= m_tail.size();
}

long Recordset::RecordCount() const
{
    checkOpen();
    return m_count;
}

void Recordset::MoveFirst()
{
    checkOpen();
    m_adding = false;
    if (m_moved) { // run again: it now holds the rows stored meanwhile
        m_query->reset();
        m_onStatement = true;
        m_moved = false;
        m_tail.clear();
        step();
    }
    if (m_atEnd)
        fail(ErrorNumber::NoCurrentRecord);
}

void Recordset::MoveLast()
{
    checkOpen();
    m_adding = false;
    std::vector<QVariant> last;
    if (m_wholeTable) {
        // The last row of a whole table is one look-up, not a walk over all.
        Statement lastRow = m_db->prepare(Sql::engine::lastRow(m_table));
        if (lastRow.step()) {
            for (int i = 0; i < int(m_columns.size()); ++i)
                last.push_back(lastRow.column(i));
        }
    } else {
        m_moved = true;
        MoveFirst();
        for (; !m_atEnd; step()) {
            last.clear();
            for (int i = 0; i < int(m_columns.size()); ++i)
                last.push_back(fieldValue(i));
        }
    }
    if (last.empty())
        fail(ErrorNumber::NoCurrentRecord);
    m_query->reset();
    m_onStatement = false;
    m_moved = true;
    m_tail = {std::move(last)};
    m_tailAt = 0;
    m_atEnd = false;
}

void Recordset::MoveNext()
{
    checkOpen();
    m_adding = false;
    if (m_atEnd)
        fail(ErrorNumber::NoCurrentRecord);
    m_moved = true;
    step();
    if (!m_atEnd)
        ++m_count;
}

bool Recordset::AtEOF() const
{
    checkOpen();
    return m_atEnd;
}

Field &Recordset::Fields(const QString &name)
{
    checkOpen();
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return m_fields[i];
    }
    fail(ErrorNumber::ItemNotFound);
}

Field &Recordset::Fields(int index)
{
    checkOpen();
    if (index < 0 || index >= int(m_fields.size()))
        fail(ErrorNumber::ItemNotFound);
    return m_fields[std::size_t(index)];
}

void Recordset::AddNew()
{
    checkOpen();
    if (!m_updatable)
        fail(ErrorNumber::ReadOnly);
    m_adding = true;
    m_buffer.assign(m_fields.size(), QVariant());
}

void Recordset::Update(int type)
{
    checkOpen();
    if (type != dbUpdateRegular)
        fail(ErrorNumber::InvalidArgument);
    if (!m_adding)
        fail(ErrorNumber::UpdateWithoutAddNew);
    // An open connection keeps writing to a file removed or replaced behind
    // it, and the row would go with that file: refuse it instead.
    int moved = 0;
    if (sqlite3_file_control(m_db->m_handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
        moved)
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("The database file was moved or deleted while in use."));

    // Every column is written; one left unassigned stores null, as it would
    // if left out: the tables have no defaults, and a null id is numbered.
    if (!m_insert) {
        QStringList columns;
        for (const Column &column : m_columns)
            columns.append(column.origin);
        m_insert.emplace(m_db->m_handle, Sql::engine::insert(m_table, columns));
    }
    m_insert->reset();
    for (std::size_t i = 0; i < m_buffer.size(); ++i)
        m_insert->bind(int(i) + 1, m_buffer[i]);
    m_insert->step(); // on failure still adding: the row can be stored again
    m_insert->reset();

    // The stored row joins the end of the records; the current row stays.
    m_tail.push_back(m_buffer);
    ++m_count;
    m_adding = false;
}

void Recordset::Close()
{
    m_insert.reset();
    m_query.reset();
    m_adding = false;
    m_db.reset();
}

QVariant Recordset::fieldValue(int index) const
{
    checkOpen();
    if (m_adding)
        return m_buffer[std::size_t(index)];
    if (m_atEnd)
        fail(ErrorNumber::NoCurrentRecord);
    if (m_onStatement)
        return m_query->column(index);
    return m_tail[m_tailAt][std::size_t(index)];
}

void Recordset::setFieldValue(int index, const QVariant &v)
{
    checkOpen();
    if (!m_updatable)
        fail(ErrorNumber::ReadOnly);
    if (!m_adding)
        fail(ErrorNumber::UpdateWithoutAddNew);
    // Converted now, so a value the column cannot take fails at the assignment.
    m_buffer[std::size_t(index)] = toColumn(v, m_columns[std::size_t(index)].affinity);
}

QString Field::Name() const
{
    return m_owner->m_columns[std::size_t(m_index)].name;
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
