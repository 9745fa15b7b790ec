#include "db/statements.h"

#include "db/engine_sql.h"
#include "db/errors.h"
#include "db/int16.h"

namespace merivex::Sql
{

namespace
{

// The id is spliced into the text, so nothing but a whole 16-bit number passes.
QString checkedId(const QString &id)
{
    idFromText(id);
    return id;
}

QString quoted(const QString &identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString patientTable()
{
    return QStringLiteral("Select * from Biodata");
}
// The id is read with the list, and sorted on: an index the file holds
// must not reorder the rows the user picks from.
QString patientList()
{
    return QStringLiteral("SELECT NAME , DATEREGISTER , IdPatient from Biodata ORDER BY IdPatient");
}
QString patientListPart()
{
    return patientList() + QStringLiteral(" LIMIT ?1 OFFSET ?2");
}
QString measurementTable()
{
    return QStringLiteral("Select * from BMIHistory");
}

namespace
{
// The history's join and order for patient id, after its select list.
QString historyOf(const QString &columns, const QString &id)
{
    return QStringLiteral("SELECT ") + columns + QStringLiteral(" from Biodata , BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and BMIhistory.Idpt = Biodata.IdPatient ") +
           QStringLiteral(" order by date");
}
} // namespace

QString patientHistory(const QString &id)
{
    return historyOf(QStringLiteral("Date, Height,Weight,(Weight/(Height*Height))"), id);
}

QString patientMeasurements()
{
    return QStringLiteral("SELECT IdBMI, Date, Height, Weight, (Weight/(Height*Height)) FROM "
                          "BMIHistory WHERE IdPt = ?1 AND EXISTS (SELECT 1 FROM Biodata WHERE "
                          "IdPatient = ?1)");
}

QString patientMeasurementsByDate(const QString &id)
{
    return historyOf(
        QStringLiteral("BMIHistory.IdBMI, Date, Height,Weight,(Weight/(Height*Height))"), id);
}

QString ownSchema()
{
    return QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                          "sql IN (?1, ?2)) = 2 AND NOT EXISTS (SELECT 1 FROM sqlite_master "
                          "WHERE type = 'index' AND tbl_name = 'BMIHistory' COLLATE NOCASE)");
}

namespace engine
{

QString wholeTable(const QString &table)
{
    return QStringLiteral("SELECT * FROM %1").arg(table);
}

QString lastRow(const QString &table)
{
    return QStringLiteral("SELECT * FROM %1 ORDER BY rowid DESC LIMIT 1").arg(quoted(table));
}

QString insert(const QString &table, const QStringList &columns)
{
    if (columns.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table));
    QStringList names, parameters;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        names.append(quoted(columns[i]));
        parameters.append(QStringLiteral("?%1").arg(i + 1));
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoted(table), names.join(QLatin1Char(',')), parameters.join(QLatin1Char(',')));
}

} // namespace engine

} // namespace merivex::Sql
