#include "measurements.h"

#include "app/module1.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/statements.h"

#include <QDate>

namespace measurements
{
using namespace merivex;

namespace
{
Database &database()
{
    Module1::PatientDatabase = openPatientDatabase();
    return *Module1::PatientDatabase;
}

void append(Recordset &rows, int idBmi, int idPt, const QVariant &date, const QVariant &weight,
            const QVariant &height)
{
    rows.AddNew();
    rows.Fields("IdBMI").setValue(idBmi);
    rows.Fields("IdPt").setValue(QString::number(idPt));
    rows.Fields("Date").setValue(date);
    rows.Fields("Weight").setValue(weight);
    rows.Fields("Height").setValue(height);
    rows.Update();
}
} // namespace

void addPatient(int id, const QString &name)
{
    std::shared_ptr<Recordset> rows = database().OpenRecordset(Sql::A(), dbOpenDynaset);
    rows->AddNew();
    rows->Fields("IdPatient").setValue(id);
    rows->Fields("Name").setValue(name);
    rows->Fields("Sex").setValue(QStringLiteral("Male"));
    rows->Fields("DateRegister").setValue(QStringLiteral("01/01/2001"));
    rows->Fields("BirthDate").setValue(QStringLiteral("01/01/1970"));
    rows->Update();
    rows->Close();
}

void add(int idBmi, int idPt, const QVariant &date, const QVariant &weight, const QVariant &height)
{
    std::shared_ptr<Recordset> rows = database().OpenRecordset(Sql::C(), dbOpenDynaset);
    append(*rows, idBmi, idPt, date, weight, height);
    rows->Close();
}

void addMany(int idPt, int count)
{
    Database &db = database();
    std::shared_ptr<Recordset> rows = db.OpenRecordset(Sql::C(), dbOpenDynaset);
    db.BeginTrans();
    const QDate first(2001, 1, 1);
    for (int i = 0; i < count; ++i)
        append(*rows, i + 1, idPt, formatDate(first.addDays(i), QStringLiteral("dd/mm/yy")),
               20 + i % 10, 1.0);
    db.CommitTrans();
    rows->Close();
}

QList<Stored> all()
{
    std::shared_ptr<Database> db = openPatientDatabase();
    std::shared_ptr<Recordset> rows = db->OpenRecordset(Sql::C(), dbOpenSnapshot);
    QList<Stored> out;
    while (!rows->AtEOF()) {
        out.append({rows->Fields("IdBMI").Value().toInt(),
                    displayText(rows->Fields("IdPt").Value()),
                    displayText(rows->Fields("Date").Value()), rows->Fields("Weight").Value(),
                    rows->Fields("Height").Value()});
        rows->MoveNext();
    }
    rows->Close();
    return out;
}

} // namespace measurements
