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

// The plan of a statement, to see how the engine will answer it.
QString explainPlan(const QString &sql);

// One row of a whole table with its rowid in front: the first, the last, and
// the one after rowid ?1.
QString firstRow(const QString &table);
QString lastRow(const QString &table);
QString rowAfter(const QString &table);

// INSERT INTO table (columns...) VALUES (?1, ...), identifiers quoted.
QString insert(const QString &table, const QStringList &columns);

} // namespace merivex::Sql::engine
