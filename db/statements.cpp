#include "db/statements.h"

#include "db/engine_sql.h"
#include "db/errors.h"

#include <QRegularExpression>

#include <limits>

namespace merivex::Sql
{

namespace
{

// The id is spliced into the text, so nothing but a whole 16-bit number passes.
QString checkedId(const QString &id)
{
    static const QRegularExpression whole(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+")));
    if (!whole.match(id).hasMatch())
        fail(ErrorNumber::TypeMismatch);
    bool ok = false;
    const qlonglong value = id.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
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
QString measurementTable()
{
    return QStringLiteral("Select * from BMIHistory");
}

QString patientHistory(const QString &id)
{
    return QStringLiteral("SELECT Date, Height,Weight,(Weight/(Height*Height)) from Biodata , "
                          "BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and BMIhistory.Idpt = Biodata.IdPatient ") +
           QStringLiteral(" order by date");
}

QString patientHistoryKeys(const QString &id)
{
    return QStringLiteral("SELECT BMIHistory.IdBMI, Date, Height, Weight from Biodata , "
                          "BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and BMIhistory.Idpt = Biodata.IdPatient ") +
           QStringLiteral(" order by date");
}

QString patientTrend(const QString &id)
{
    return QStringLiteral("SELECT Date,(Weight/(Height*Height)) from Biodata , BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and biodata.Idpatient = bmihistory.IDpt ") +
           QStringLiteral(" order by date");
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
