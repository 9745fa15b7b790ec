#pragma once
// The statements the layer itself sends: key check, connection settings,
// transactions, appending a row, the schema of a new file and its backups.
#include "db/date_collation.h"

#include <QString>
#include <QStringList>

namespace merivex::Sql::engine
{

// The first read decrypts page 1, so it doubles as the key check. A trigger
// or a view can change what the application's statements do (empty a table
// on a save, list another table's rows), and the application makes neither.
inline const QString schemaCheck = QStringLiteral(
    "SELECT type, name FROM sqlite_master WHERE type IN ('trigger', 'view') LIMIT 1");
// The file keeps SQLCipher 3's layout (1,024-byte pages, PBKDF2-HMAC-SHA1 at
// 64,000 rounds, HMAC-SHA1), so that it moves between releases unchanged.
// Sent for each keyed database of a connection (main, or one attached) after
// its key and before its first read or write; SQLCipher 3 ignores it.
inline QString cipherCompatibility(const QString &schema = QStringLiteral("main"))
{
    return QStringLiteral("PRAGMA %1.cipher_compatibility = 3").arg(schema);
}
// A write-ahead log, synced at every commit: a killed process or a lost power
// supply leaves either the old or the new row, never a damaged file, and a
// commit costs one sync where a rollback journal needs several.
inline const QString setJournalMode = QStringLiteral("PRAGMA journal_mode=WAL");
inline const QString setSynchronous = QStringLiteral("PRAGMA synchronous=FULL");
inline const QString quickCheck = QStringLiteral("PRAGMA quick_check");
inline const QString dataVersion = QStringLiteral("PRAGMA data_version");
inline const QString schemaVersion = QStringLiteral("PRAGMA schema_version");
inline const QString begin = QStringLiteral("BEGIN");
inline const QString commit = QStringLiteral("COMMIT");
inline const QString rollback = QStringLiteral("ROLLBACK");

// INTEGER PRIMARY KEY ids: "Select *" returns rows in id order and an id is
// never stored twice; the checks keep every id within 16 bits, also one the
// engine would number itself. REAL measurements make the BMI a true division.
inline const QStringList schema = {
    QStringLiteral("CREATE TABLE Biodata ("
                   "IdPatient INTEGER PRIMARY KEY CHECK (IdPatient BETWEEN -32768 AND 32767), "
                   "Name TEXT, Sex TEXT, DateRegister TEXT, BirthDate TEXT)"),
    QStringLiteral("CREATE TABLE BMIHistory ("
                   "IdBMI INTEGER PRIMARY KEY CHECK (IdBMI BETWEEN -32768 AND 32767), "
                   "IdPt INTEGER CHECK (IdPt BETWEEN -32768 AND 32767), "
                   "Date TEXT COLLATE %1, Weight REAL, Height REAL)")
        .arg(QLatin1String(dates::collationName)),
};

// A backup: the file exported into an attached copy keyed with the same
// password.
inline const QString copySchema = QStringLiteral("merivex_copy");
inline const QString attachCopy = QStringLiteral("ATTACH DATABASE ?1 AS merivex_copy KEY ?2");
inline const QString exportToCopy = QStringLiteral("SELECT sqlcipher_export('merivex_copy')");
inline const QString detachCopy = QStringLiteral("DETACH DATABASE merivex_copy");

// "SELECT * FROM table", the statement of a whole table, and its last row.
QString wholeTable(const QString &table);
QString lastRow(const QString &table);

// INSERT INTO table (columns...) VALUES (?1, ...), identifiers quoted.
QString insert(const QString &table, const QStringList &columns);

} // namespace merivex::Sql::engine
