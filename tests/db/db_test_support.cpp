#include "db_test_support.h"

#include "db/database_file.h"
#include "db/statements.h"

namespace dbtest
{

using namespace merivex;

QString createDatabase(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    createPatientDatabase(path);
    return path;
}

std::shared_ptr<Database> open(const QString &path)
{
    return DBEngine::instance().OpenDatabase(path, true, false, connectString());
}

qint16 appendWithNextId(Database &db, const QString &sql, const QString &idColumn,
                        const Values &values)
{
    auto rs = db.OpenRecordset(sql, dbOpenDynaset);
    qint16 last = 0;
    if (rs->RecordCount() != 0) {
        rs->MoveLast(0);
        last = toInt16(rs->Fields(idColumn).Value());
    }
    rs->AddNew();
    rs->Fields(idColumn).setValue(addInt16(last, 1));
    const qint16 id = toInt16(rs->Fields(idColumn).Value());
    for (const auto &[column, value] : values)
        rs->Fields(column).setValue(value);
    rs->Update(1, false);
    rs->Close();
    return id;
}

qint16 appendPatient(Database &db, const QString &name)
{
    return appendWithNextId(db, Sql::A(), QStringLiteral("IdPatient"),
                            {{QStringLiteral("Name"), name},
                             {QStringLiteral("Sex"), QStringLiteral("Female")},
                             {QStringLiteral("DateRegister"), QStringLiteral("06/12/2026")},
                             {QStringLiteral("BirthDate"), QStringLiteral("05/01/1970")}});
}

qint16 appendMeasurement(Database &db, qint16 patient, const QString &date, const QVariant &weight,
                         const QVariant &height)
{
    return appendWithNextId(db, Sql::C(), QStringLiteral("IdBMI"),
                            {{QStringLiteral("IdPt"), QString::number(patient)},
                             {QStringLiteral("Date"), date},
                             {QStringLiteral("Weight"), weight},
                             {QStringLiteral("Height"), height}});
}

void insertRow(Database &db, const QString &sql, const Values &values)
{
    auto rs = db.OpenRecordset(sql, dbOpenDynaset);
    rs->AddNew();
    for (const auto &[column, value] : values)
        rs->Fields(column).setValue(value);
    rs->Update();
    rs->Close();
}

int errorNumber(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &error) {
        return error.number();
    }
    return 0;
}

QList<QStringList> readAll(Database &db, const QString &sql)
{
    auto rs = db.OpenRecordset(sql, dbOpenSnapshot, dbSQLPassThrough);
    QList<QStringList> rows;
    if (rs->RecordCount() == 0)
        return rows;
    const int columns = [&] {
        int n = 0;
        while (errorNumber([&] { rs->Fields(n); }) == 0)
            ++n;
        return n;
    }();
    for (rs->MoveFirst(); !rs->AtEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 0; i < columns; ++i)
            row.append(displayText(rs->Fields(i).Value()));
        rows.append(row);
    }
    rs->Close();
    return rows;
}

} // namespace dbtest
