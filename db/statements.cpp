#include "db/statements.h"

#include "db/date_order.h"
#include "db/engine_sql.h"
#include "db/failures.h"
#include "db/maintenance_sql.h"

#include <limits>

namespace merivex::Sql
{

namespace
{

// The id is spliced into the text, so nothing but a whole 16-bit number passes.
QString checkedId(const QString &id)
{
    qsizetype i = id.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (i == id.size())
        fail::typeMismatch();
    for (; i < id.size(); ++i) {
        if (id.at(i) < QLatin1Char('0') || id.at(i) > QLatin1Char('9'))
            fail::typeMismatch();
    }
    bool ok = false;
    const qlonglong value = id.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        fail::overflow();
    return id;
}

QString quoted(const QString &identifier)
{
    QString text = identifier;
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString A()
{
    return QStringLiteral("Select * from Biodata");
}
QString B()
{
    return QStringLiteral("SELECT NAME , DATEREGISTER from Biodata");
}
QString C()
{
    return QStringLiteral("Select * from BMIHistory");
}

QString D(const QString &id)
{
    return QStringLiteral("SELECT Date, Height,Weight,(Weight/(Height*Height)) from Biodata , "
                          "BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and BMIhistory.Idpt = Biodata.IdPatient ") +
           QStringLiteral(" order by date");
}

QString E(const QString &id)
{
    return QStringLiteral("SELECT Date,(Weight/(Height*Height)) from Biodata , BMIHistory ") +
           QStringLiteral(" Where Biodata.IdPatient Like ") + checkedId(id) +
           QStringLiteral(" and biodata.Idpatient = bmihistory.IDpt ") +
           QStringLiteral(" order by date");
}

namespace engine
{

QString keyCheck()
{
    return QStringLiteral("SELECT count(*) FROM sqlite_master");
}
// A write-ahead log, synced at every commit: a killed process or a lost power
// supply leaves either the old or the new row, never a damaged file, and a
// commit costs one sync where a rollback journal needs several.
QString setJournalMode()
{
    return QStringLiteral("PRAGMA journal_mode=WAL");
}
QString setSynchronous()
{
    return QStringLiteral("PRAGMA synchronous=FULL");
}
QString journalMode()
{
    return QStringLiteral("PRAGMA journal_mode");
}
QString synchronous()
{
    return QStringLiteral("PRAGMA synchronous");
}
QString begin()
{
    return QStringLiteral("BEGIN");
}
QString commit()
{
    return QStringLiteral("COMMIT");
}
QString rollback()
{
    return QStringLiteral("ROLLBACK");
}

QStringList schema()
{
    // INTEGER PRIMARY KEY ids: "Select *" returns rows in id order and an id
    // is never stored twice; the checks keep every id within 16 bits, also
    // one the engine would number itself. REAL measurements make the BMI a
    // true division.
    return {
        QStringLiteral("CREATE TABLE Biodata ("
                       "IdPatient INTEGER PRIMARY KEY CHECK (IdPatient BETWEEN -32768 AND 32767), "
                       "Name TEXT, Sex TEXT, DateRegister TEXT, BirthDate TEXT)"),
        QStringLiteral("CREATE TABLE BMIHistory ("
                       "IdBMI INTEGER PRIMARY KEY CHECK (IdBMI BETWEEN -32768 AND 32767), "
                       "IdPt INTEGER CHECK (IdPt BETWEEN -32768 AND 32767), "
                       "Date TEXT COLLATE %1, Weight REAL, Height REAL)")
            .arg(QLatin1String(dates::collationName)),
    };
}

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

namespace merivex::Sql::maintenance
{

QString integrityCheck()
{
    return QStringLiteral("PRAGMA integrity_check");
}
// The table name is one of the two fixed names, never user input.
QString tableInfo(const QString &table)
{
    return QStringLiteral("PRAGMA table_info(%1)").arg(table);
}
QString patientIds()
{
    return QStringLiteral("SELECT IdPatient FROM Biodata ORDER BY IdPatient");
}
QString measurementIds()
{
    return QStringLiteral("SELECT IdBMI FROM BMIHistory ORDER BY IdBMI");
}
QString unknownPatients()
{
    return QStringLiteral("SELECT IdBMI, IdPt FROM BMIHistory WHERE NOT EXISTS "
                          "(SELECT 1 FROM Biodata WHERE Biodata.IdPatient = BMIHistory.IdPt) "
                          "ORDER BY IdBMI");
}
// A BMI needs numbers, and a height of zero or less gives none.
QString badMeasurements()
{
    return QStringLiteral("SELECT IdBMI, Height, Weight FROM BMIHistory "
                          "WHERE typeof(Height) NOT IN ('integer', 'real') "
                          "OR typeof(Weight) NOT IN ('integer', 'real') "
                          "OR Height <= 0 OR Weight <= 0 ORDER BY IdBMI");
}
QString patientsForExport()
{
    return QStringLiteral(
        "SELECT IdPatient, Name, Sex, DateRegister, BirthDate FROM Biodata ORDER BY IdPatient");
}
QString historyForExport()
{
    return QStringLiteral("SELECT BMIHistory.IdBMI, BMIHistory.IdPt, Biodata.Name, "
                          "BMIHistory.Date, BMIHistory.Height, BMIHistory.Weight "
                          "FROM BMIHistory LEFT JOIN Biodata "
                          "ON Biodata.IdPatient = BMIHistory.IdPt ORDER BY BMIHistory.IdBMI");
}
QString attachCopy()
{
    return QStringLiteral("ATTACH DATABASE ?1 AS merivex_copy KEY ?2");
}
QString exportToCopy()
{
    return QStringLiteral("SELECT sqlcipher_export('merivex_copy')");
}
QString detachCopy()
{
    return QStringLiteral("DETACH DATABASE merivex_copy");
}

} // namespace merivex::Sql::maintenance
