#pragma once
// The engine layer the windows talk to: an engine object that opens the
// encrypted patient file, a database object that runs statements, and the
// recordset with its fields that the windows walk and append to. The names
// are those of the object interface the windows were written against.
//
// Every failure raises merivex::Error (db/errors.h) with its number.
#include "db/errors.h"
#include "db/statement.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace merivex
{

enum class Affinity; // db/values.h

constexpr int dbOpenDynaset = 2, dbOpenSnapshot = 4, dbSQLPassThrough = 64;
constexpr int dbUpdateRegular = 1;

class Database;
class Recordset;

class Field
{
public:
    QString Name() const;
    QVariant Value() const;
    void setValue(const QVariant &v);

private:
    friend class Recordset;
    Field(Recordset *owner, int index) : m_owner(owner), m_index(index) {}
    Recordset *m_owner;
    int m_index;
};

// The rows of one statement, stepped as the recordset moves and positioned
// on the first row when opened; MoveFirst after moving runs it again. Type 2
// over one table can append rows, which then follow the statement's rows;
// type 4 is read-only. RecordCount is 0 exactly when there are no rows;
// otherwise it counts the rows visited so far, as the old engines did.
class Recordset
{
public:
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    long RecordCount() const; // 0 exactly when empty
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    bool AtEOF() const; // the end-of-records test (EOF is a C macro)

    Field &Fields(const QString &name); // case-insensitive; Error 3265 when unknown
    Field &Fields(int index);           // 0-based position in the select list

    void AddNew();
    void Update(int type = dbUpdateRegular);
    void Close();

    // Reads the rows from the current one to the end in one pass, handing
    // row() the statement on each to read with its typed readers; then the
    // recordset is at its end as after MoveNext. Rows stored through this
    // recordset are no statement rows: Error 3001 on reaching one.
    template <class F> void readToEnd(F &&row);

private:
    friend class Database;
    friend class Field;
    struct Column {
        QString name, origin;
        Affinity affinity;
    };

    Recordset(std::shared_ptr<Database> db, const QString &sql, const QVariantList &parameters,
              bool updatable);
    void checkOpen() const;
    void step();
    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &v);

    std::shared_ptr<Database> m_db; // null once closed
    std::optional<Statement> m_query;
    std::vector<Column> m_columns;
    std::vector<Field> m_fields;
    QString m_table;           // the one table of an updatable recordset
    bool m_updatable = false;  // type 2 over plain columns of one table
    bool m_wholeTable = false; // and all of its rows, in their stored order

    // The current row is the statement's while m_onStatement, else
    // m_tail[m_tailAt]: rows past the statement's end, namely the last row
    // MoveLast found and the rows stored since.
    bool m_onStatement = true, m_atEnd = false, m_moved = false;
    std::vector<std::vector<QVariant>> m_tail;
    std::size_t m_tailAt = 0;
    long m_count = 0;

    // The row being added, from AddNew until Update.
    bool m_adding = false;
    std::vector<QVariant> m_buffer;
    std::optional<Statement> m_insert; // kept for the next append of a bulk load
};

// One connection to the file. Kept alive by every recordset opened on it.
class Database : public std::enable_shared_from_this<Database>
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    std::shared_ptr<Recordset> OpenRecordset(const QString &sql, int type, int options = 0);
    // The same with the statement's parameters ?1, ?2 ... bound first.
    std::shared_ptr<Recordset> OpenRecordset(const QString &sql, const QVariantList &parameters,
                                             int type, int options = 0);

    // The year the date order of this connection reads two-digit years in.
    int collationYear() const { return m_collationYear; }

    // Changes when the file can have changed: a commit of another connection
    // (PRAGMA data_version), a row changed through this one, or its schema.
    struct Version {
        qint64 others = 0, own = 0, schema = 0;
        bool operator==(const Version &) const = default;
    };
    Version version() const;

    // Group many appends into one transaction (bulk loading and tests).
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    // Any statement, for the tool's commands, tests and benchmarks.
    Statement prepare(const QString &sql) const;
    void execute(const QString &sql) const;   // runs it to its end
    QVariant value(const QString &sql) const; // first column of the first row
    // Both tables exactly as create makes them and no index on the
    // measurements: ids are the tables' integer keys and their order is the
    // order the tables store them in.
    bool hasOwnSchema() const;

private:
    friend class DBEngine;
    friend class Recordset;
    friend std::shared_ptr<Database> inspectPatientDatabase(const QString &path);
    Database(sqlite3 *handle, int collationYear) : m_handle(handle), m_collationYear(collationYear)
    {
    }
    sqlite3 *m_handle;
    int m_collationYear;
    long m_work = 0; // progress callbacks so far, on an inspecting connection
};

class DBEngine
{
public:
    static DBEngine &instance(); // one per run, created on first use

    // connect holds the password as ";PWD=...". Never creates the file.
    std::shared_ptr<Database> OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                           const QString &connect);

private:
    DBEngine() = default;
};

template <class F> void Recordset::readToEnd(F &&row)
{
    checkOpen();
    m_adding = false;
    m_moved = true;
    while (!m_atEnd) {
        if (!m_onStatement)
            fail(ErrorNumber::InvalidArgument);
        row(static_cast<const Statement &>(*m_query));
        step();
        if (!m_atEnd)
            ++m_count;
    }
}

namespace engine
{
// The password of a connect string such as ";PWD=vexo" (keys are
// case-insensitive); empty when there is none.
QString passwordOf(const QString &connect);
} // namespace engine

} // namespace merivex
