#pragma once
// The engine layer the windows talk to: an engine object that opens the
// encrypted patient file, a database object that runs statements, and the
// recordset with its fields that the windows walk and append to. The names
// are those of the object interface the windows were written against.
//
// Every failure raises merivex::Error (db/errors.h) with its number.
#include "db/errors.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;

namespace merivex
{

// A field value: null, integer (qint64), double, or QString.
using Value = QVariant;

// Display text of a value: "" when null, else its text without leading and
// trailing blanks; doubles with up to 15 significant digits and no trailing
// zeros ("22.4913494809689", "23", "22.5").
QString displayText(const QVariant &v);

// A value read from an id column as a signed 16-bit integer: Error 6 when
// outside -32768..32767, Error 13 when null or not a whole number.
qint16 toInt16(const QVariant &v);

// a + b as a signed 16-bit integer: Error 6 instead of wrapping around.
qint16 addInt16(qint16 a, int b);

constexpr int dbOpenDynaset = 2, dbOpenSnapshot = 4, dbSQLPassThrough = 64;
constexpr int dbUpdateRegular = 1;

class Database;
class Recordset;
class RowSource;

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

// The rows of one statement, positioned on the first row when opened. A
// query is stepped as the recordset moves (MoveFirst after moving runs it
// again); a type-2 "Select * from" a table is a keyset cursor that fetches
// one row per move. Type 2 on a single table can append rows; type 4 is
// read-only. RecordCount is 0 exactly when there are no rows; otherwise it
// counts the rows visited so far, as the old engines did, not all rows.
class Recordset
{
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    long RecordCount() const; // 0 exactly when empty
    void MoveFirst();
    void MoveLast(int options = 0);
    void MoveNext();
    bool AtEOF() const; // the end-of-records test (EOF is a C macro)

    Field &Fields(const QString &name); // case-insensitive; Error 3265 when unknown
    Field &Fields(int index);           // 0-based position in the select list

    void AddNew();
    void Update(int type = dbUpdateRegular, bool force = false);
    void Close();

    struct Token;
    Recordset(const Token &, std::shared_ptr<Database> db, std::unique_ptr<RowSource> rows,
              bool updatable);

private:
    friend class Field;
    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &v);
    void checkOpen() const;

    struct Private;
    std::unique_ptr<Private> d;
    std::vector<Field> m_fields;
};

// The journal settings of a connection, as the engine reports them.
struct JournalSettings {
    QString journalMode; // "delete", "wal", ...
    int synchronous;     // 0 off, 1 normal, 2 full, 3 extra
};

// One connection to the file. Kept alive by every recordset opened on it.
class Database : public std::enable_shared_from_this<Database>
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    std::shared_ptr<Recordset> OpenRecordset(const QString &sql, int type, int options = 0);

    // Group many appends into one transaction (bulk loading and tests).
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    JournalSettings journalSettings() const;
    sqlite3 *nativeHandle() const; // for benchmarks and diagnostics only

    struct Token;
    Database(const Token &, sqlite3 *handle);

private:
    sqlite3 *m_handle;
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

} // namespace merivex
