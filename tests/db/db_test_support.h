#pragma once
// Real encrypted files in temporary folders, and the append the windows do.
#include "db/dao.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace dbtest
{

// A new empty file made the way the tool makes it.
QString createDatabase(const QTemporaryDir &dir,
                       const QString &name = QStringLiteral("Merivex.mdb"));

// The standard open: exclusive, read-write, the application's password.
std::shared_ptr<merivex::Database> open(const QString &path);

using Values = std::vector<std::pair<QString, QVariant>>;

// Opens sql as type 2, takes the last row's id + 1 (1 when empty), writes it
// and values, stores the row; returns the id read back before storing.
qint16 appendWithNextId(merivex::Database &db, const QString &sql, const QString &idColumn,
                        const Values &values);

qint16 appendPatient(merivex::Database &db, const QString &name);
qint16 appendMeasurement(merivex::Database &db, qint16 patient, const QString &date,
                         const QVariant &weight, const QVariant &height);

// Stores one row with every value given, ids included.
void insertRow(merivex::Database &db, const QString &sql, const Values &values);

// The number of the merivex::Error that f raises, 0 when it raises none.
int errorNumber(const std::function<void()> &f);

// Every row of a read query as display texts.
QList<QStringList> readAll(merivex::Database &db, const QString &sql);

} // namespace dbtest
