#pragma once
// Patients and measurements written straight into the test database, the
// way the registration and Save commands store them.
#include <QString>
#include <QVariant>

namespace measurements
{

// Opens the file anew; the connection goes into Module1::PatientDatabase.
void addPatient(int id, const QString &name);
// Date as stored text; a null QVariant stores Null.
void add(int idBmi, int idPt, const QVariant &date, const QVariant &weight, const QVariant &height);
// Many measurements of patient idPt in one transaction, one a day from
// 01/01/01, each of BMI 20 + i % 10 (height 1).
void addMany(int idPt, int count);

struct Stored {
    int idBmi;
    QString idPt;
    QString date;
    QVariant weight;
    QVariant height;
};
// Every BMIHistory row in the table's order.
QList<Stored> all();

} // namespace measurements
