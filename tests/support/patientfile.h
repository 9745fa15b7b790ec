#pragma once
// The one builder of patient files for tests and benchmarks: rows written
// through the recordset the way the windows write them, and read back. The
// functions taking a Database work on any file; the others open the file the
// application uses (beside the executable) and release it before returning.
#include "db/dao.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace testfiles
{

// A new empty file in dir made the way the tool makes it.
QString createDatabase(const QTemporaryDir &dir,
                       const QString &name = QStringLiteral("Merivex.mdb"));

// The standard open: exclusive, read-write, the application's password.
std::shared_ptr<merivex::Database> open(const QString &path);

using Values = std::vector<std::pair<QString, QVariant>>; // column and value

// Opens sql as type 2, takes the last row's id + 1 (1 when empty), writes it
// and values, stores the row; returns the id read back before storing.
qint16 appendWithNextId(merivex::Database &db, const QString &sql, const QString &idColumn,
                        const Values &values);
qint16 appendPatient(merivex::Database &db, const QString &name);
qint16 appendMeasurement(merivex::Database &db, qint16 patient, const QString &date,
                         const QVariant &weight, const QVariant &height);

// Stores rows with every value given, ids included, through one recordset.
void insertRows(merivex::Database &db, const QString &sql, const QList<Values> &rows);

// Every row of a read query as display texts.
QList<QStringList> readAll(merivex::Database &db, const QString &sql);

// Runs statements in Debian's sqlcipher shell keyed with the application's
// password, outside our layer: the output lines, or a failure in *error.
QStringList shell(const QString &path, const QStringList &statements, QString *error);

// The number of the merivex::Error that f raises, 0 when it raises none.
int errorNumber(const std::function<void()> &f);

// Rows of the application's file, as stored.
struct Patient {
    QVariant id, name, sex, dateRegister, birthDate;
};
struct Measurement {
    QVariant idBmi, idPt, date, weight, height;
};

void addPatients(const QList<Patient> &rows);
void addPatient(int id, const QString &name); // a male patient registered 01/01/2001
void addMeasurements(const QList<Measurement> &rows);
// n patients "Patient <id>", ids 1..n, in one transaction.
void addManyPatients(int n);
// n measurements of one patient in one transaction, one a day from
// 01/01/01, each of BMI 20 + i % 10 (height 1).
void addManyMeasurements(int patient, int n);

QList<Patient> patients();
QList<Measurement> measurements();

} // namespace testfiles
