#include "patientfile.h"

#include "db/dao.h"
#include "db/database_file.h"
#include "db/statements.h"

using namespace merivex;

namespace PatientFile
{

namespace
{
void appendTo(Recordset &rs, const PatientRow &row)
{
    rs.AddNew();
    rs.Fields(QStringLiteral("IdPatient")).setValue(row.id);
    rs.Fields(QStringLiteral("Name")).setValue(row.name);
    rs.Fields(QStringLiteral("Sex")).setValue(row.sex);
    rs.Fields(QStringLiteral("DateRegister")).setValue(row.dateRegister);
    rs.Fields(QStringLiteral("BirthDate")).setValue(row.birthDate);
    rs.Update();
}
} // namespace

void append(const QList<PatientRow> &rows)
{
    std::shared_ptr<Database> db = openPatientDatabase();
    std::shared_ptr<Recordset> rs = db->OpenRecordset(Sql::A(), dbOpenDynaset);
    for (const PatientRow &row : rows)
        appendTo(*rs, row);
    rs->Close();
}

void appendMany(int n)
{
    std::shared_ptr<Database> db = openPatientDatabase();
    db->BeginTrans();
    std::shared_ptr<Recordset> rs = db->OpenRecordset(Sql::A(), dbOpenDynaset);
    for (int id = 1; id <= n; ++id)
        appendTo(*rs, {id, QStringLiteral("Patient %1").arg(id), QStringLiteral("Male"),
                       QStringLiteral("01/02/2003"), QStringLiteral("04/05/1960")});
    rs->Close();
    db->CommitTrans();
}

QList<PatientRow> rows()
{
    std::shared_ptr<Database> db = openPatientDatabase();
    std::shared_ptr<Recordset> rs = db->OpenRecordset(Sql::A(), dbOpenSnapshot);
    QList<PatientRow> result;
    if (rs->RecordCount() == 0)
        return result;
    for (rs->MoveFirst(); !rs->AtEOF(); rs->MoveNext())
        result.append({rs->Fields(QStringLiteral("IdPatient")).Value(),
                       rs->Fields(QStringLiteral("Name")).Value(),
                       rs->Fields(QStringLiteral("Sex")).Value(),
                       rs->Fields(QStringLiteral("DateRegister")).Value(),
                       rs->Fields(QStringLiteral("BirthDate")).Value()});
    rs->Close();
    return result;
}

} // namespace PatientFile
