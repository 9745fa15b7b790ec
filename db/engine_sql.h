#pragma once
// The statements the layer itself sends: key check, connection settings,
// transactions, appending a row, and the schema of a new file.
#include <QString>
#include <QStringList>

namespace merivex::Sql::engine
{

QString keyCheck(); // the first read after keying
QString setJournalMode();
QString setSynchronous();
QString journalMode();
QString synchronous();
QString begin();
QString commit();
QString rollback();
QStringList schema();

// "SELECT * FROM table", the statement of a whole table, and its last row.
QString wholeTable(const QString &table);
QString lastRow(const QString &table);

// INSERT INTO table (columns...) VALUES (?1, ...), identifiers quoted.
QString insert(const QString &table, const QStringList &columns);

} // namespace merivex::Sql::engine
