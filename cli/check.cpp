// merivex-db check: is this file one the application can use safely? The
// schema must be the one create makes, since a trigger, a view, a missing
// CHECK or an extra column changes what the application's statements do;
// then the pages, the ids and the measurements.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/display_text.h"
#include "db/engine_sql.h"
#include "db/files.h"
#include "cli/commands.h"
#include "cli/maintenance_sql.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace merivex::tool
{

namespace
{

namespace sql = Sql::maintenance;

struct Column {
    QString name, type;
};

struct Table {
    QString name;
    QList<Column> columns;
    QString definition; // the CREATE TABLE text create sends
};

const Table tables[] = {
    {QStringLiteral("Biodata"),
     {{"IdPatient", "INTEGER"},
      {"Name", "TEXT"},
      {"Sex", "TEXT"},
      {"DateRegister", "TEXT"},
      {"BirthDate", "TEXT"}},
     Sql::engine::schema[0]},
    {QStringLiteral("BMIHistory"),
     {{"IdBMI", "INTEGER"},
      {"IdPt", "INTEGER"},
      {"Date", "TEXT"},
      {"Weight", "REAL"},
      {"Height", "REAL"}},
     Sql::engine::schema[1]},
};
const Table &biodata = tables[0];
const Table &bmiHistory = tables[1];

// A column's value as text: null as "", numbers as the windows show them,
// text as stored, its control characters escaped.
QString cellText(const QVariant &v)
{
    return shown(v.typeId() == QMetaType::QString ? v.toString() : displayText(v));
}

// Findings of one kind: the first few are listed, the rest counted.
class Findings
{
public:
    explicit Findings(QStringList &lines) : m_lines(lines) {}
    ~Findings()
    {
        if (m_count > limit)
            m_lines.append(QStringLiteral("... and %1 more like these").arg(m_count - limit));
    }
    void add(const QString &line)
    {
        if (++m_count <= limit)
            m_lines.append(line);
    }

private:
    static constexpr int limit = 5;
    QStringList &m_lines;
    int m_count = 0;
};

// Runs one step of the check; a failure of the engine becomes a problem line.
void guarded(QStringList &problems, const QString &what, const std::function<void()> &step)
{
    try {
        step();
    } catch (const Error &error) {
        problems.append(QStringLiteral("%1: error %2: %3")
                            .arg(what)
                            .arg(error.number())
                            .arg(error.description()));
    }
}

// What differs between a table and the one create makes; true when it has
// every column the application uses, so its rows can be checked.
bool compareTable(const Database &db, const Table &table, const QString &definition,
                  QStringList &problems)
{
    Statement info = db.prepare(sql::tableInfo(table.name));
    QList<Column> found;
    QStringList notNull;
    while (info.step()) {
        found.append({info.column(1).toString(), info.column(2).toString()});
        if (info.column(3).toLongLong() != 0)
            notNull.append(info.column(1).toString());
    }
    QStringList differences;
    bool complete = true;
    for (const Column &want : table.columns) {
        const auto it = std::find_if(found.cbegin(), found.cend(), [&](const Column &c) {
            return c.name.compare(want.name, Qt::CaseInsensitive) == 0;
        });
        if (it == found.cend()) {
            differences.append(QStringLiteral("column %1 is missing").arg(want.name));
            complete = false;
        } else if (it->type.compare(want.type, Qt::CaseInsensitive) != 0) {
            differences.append(QStringLiteral("column %1 has type '%2' where create makes %3")
                                   .arg(want.name, shown(it->type), want.type));
        }
    }
    for (const Column &column : found) {
        if (std::none_of(table.columns.cbegin(), table.columns.cend(), [&](const Column &c) {
                return c.name.compare(column.name, Qt::CaseInsensitive) == 0;
            }))
            differences.append(QStringLiteral("column %1 is not one create makes (a save "
                                              "leaves it empty)")
                                   .arg(shown(column.name)));
    }
    for (const QString &column : notNull)
        differences.append(QStringLiteral("column %1 is NOT NULL").arg(shown(column)));
    if (differences.isEmpty() && definition != table.definition)
        differences.append(QStringLiteral("its CHECK constraints, collation or keys are not "
                                          "those create makes: %1")
                               .arg(shown(definition)));
    for (const QString &line : differences)
        problems.append(table.name + QStringLiteral(": ") + line);
    return complete;
}

// The objects of the schema against what create makes. Sets usable[i] when
// tables[i] is a table whose rows can be checked.
void checkSchema(const Database &db, CheckReport &report, bool usable[2])
{
    Statement objects = db.prepare(sql::schemaObjects);
    struct Found {
        QString type, name, table, definition;
    };
    QList<Found> all;
    while (objects.step())
        all.append({objects.column(0).toString(), objects.column(1).toString(),
                    objects.column(2).toString(), objects.column(3).toString()});
    bool present[2] = {false, false};
    for (const Found &object : all) {
        const QString name = shown(object.name), on = shown(object.table);
        int known = -1;
        for (int i = 0; i < 2; ++i)
            if (object.name.compare(tables[i].name, Qt::CaseInsensitive) == 0)
                known = i;
        if (object.type == QLatin1String("table") && known >= 0) {
            present[known] = true;
            usable[known] = compareTable(db, tables[known], object.definition, report.problems);
        } else if (object.type == QLatin1String("table")) {
            report.problems.append(QStringLiteral("table %1 is not one create makes").arg(name));
        } else if (object.type == QLatin1String("index")) {
            report.warnings.append(QStringLiteral("index %1 on %2 is not one create makes; it "
                                                  "does no harm to the data")
                                       .arg(name, on));
        } else if (object.type == QLatin1String("trigger")) {
            report.problems.append(QStringLiteral("trigger %1 on %2: create makes none, and a "
                                                  "trigger changes what a save does")
                                       .arg(name, on));
        } else if (object.type == QLatin1String("view")) {
            report.problems.append(QStringLiteral("view %1: create makes none, and a view "
                                                  "changes what a statement reads")
                                       .arg(name));
        } else {
            report.problems.append(
                QStringLiteral("%1 %2 is not one create makes").arg(shown(object.type), name));
        }
    }
    for (int i = 0; i < 2; ++i)
        if (!present[i])
            report.problems.append(QStringLiteral("table %1 is missing").arg(tables[i].name));
}

// Ids are 16-bit numbers: the application reads them as 16-bit integers and
// takes the last id + 1. Patient ids run 1, 2, 3 ... without gaps, as nothing
// removes a patient; a deleted measurement leaves a gap, which does no harm.
int checkIds(const Database &db, const QString &sqlText, const QString &table,
             const QString &column, bool gapless, QStringList &problems)
{
    Statement stmt = db.prepare(sqlText);
    Findings findings(problems);
    qint64 expected = 1;
    int rows = 0;
    while (stmt.step()) {
        ++rows;
        const QVariant value = stmt.column(0);
        if (value.typeId() != QMetaType::LongLong) {
            findings.add(QStringLiteral("%1: %2 '%3' is not a whole number")
                             .arg(table, column, cellText(value)));
            continue;
        }
        const qint64 id = value.toLongLong();
        if (id < std::numeric_limits<qint16>::min() || id > std::numeric_limits<qint16>::max())
            findings.add(QStringLiteral("%1: %2 %3 is outside -32768 to 32767, the ids the "
                                        "application can read")
                             .arg(table, column)
                             .arg(id));
        else if (gapless && id != expected)
            findings.add(QStringLiteral("%1: %2 %3 where %4 was expected (ids run 1, 2, 3 ... "
                                        "without gaps)")
                             .arg(table, column)
                             .arg(id)
                             .arg(expected));
        expected = id + 1;
    }
    return rows;
}

void checkPatientsExist(const Database &db, QStringList &problems)
{
    Statement stmt = db.prepare(sql::unknownPatients);
    Findings findings(problems);
    while (stmt.step())
        findings.add(QStringLiteral("BMIHistory: IdBMI %1 names IdPt '%2', which is no patient")
                         .arg(cellText(stmt.column(0)), cellText(stmt.column(1))));
}

void checkMeasurements(const Database &db, QStringList &problems)
{
    Statement stmt = db.prepare(sql::badMeasurements);
    Findings findings(problems);
    while (stmt.step())
        findings.add(
            QStringLiteral("BMIHistory: IdBMI %1 has height '%2' and weight '%3' "
                           "(both must be numbers above zero)")
                .arg(cellText(stmt.column(0)), cellText(stmt.column(1)), cellText(stmt.column(2))));
}

} // namespace

CheckReport checkCopy(const QString &copy)
{
    const auto db = inspectPatientDatabase(copy);
    const Database &handle = *db;
    CheckReport report;
    QStringList &problems = report.problems;

    bool usable[2] = {false, false};
    guarded(problems, QStringLiteral("schema"), [&] { checkSchema(handle, report, usable); });
    guarded(problems, QStringLiteral("integrity check"), [&] {
        Statement stmt = handle.prepare(sql::integrityCheck);
        Findings findings(problems);
        while (stmt.step()) {
            const QString line = cellText(stmt.column(0));
            if (line != QLatin1String("ok"))
                findings.add(QStringLiteral("integrity check: ") + line);
        }
    });
    if (usable[0])
        guarded(problems, biodata.name, [&] {
            report.patients = checkIds(handle, sql::patientIds, biodata.name,
                                       biodata.columns[0].name, true, problems);
        });
    if (usable[1])
        guarded(problems, bmiHistory.name, [&] {
            report.measurements = checkIds(handle, sql::measurementIds, bmiHistory.name,
                                           bmiHistory.columns[0].name, false, problems);
            checkMeasurements(handle, problems);
        });
    if (usable[0] && usable[1])
        guarded(problems, bmiHistory.name, [&] { checkPatientsExist(handle, problems); });
    return report;
}

CheckReport checkPatientDatabase(const QString &path)
{
    CheckReport report;
    Snapshot(path).use([&](const QString &copy) { report = checkCopy(copy); });
    return report;
}

int check(const QString &path)
{
    return run(QStringLiteral("%1 cannot be checked").arg(native(path)), [&] {
        const CheckReport report = checkPatientDatabase(path);
        print(QStringLiteral("Checked %1: %2, %3.")
                  .arg(native(path), patients(report.patients), measurements(report.measurements)));
        for (const QString &problem : report.problems)
            print(QStringLiteral("  ") + problem);
        for (const QString &warning : report.warnings)
            print(QStringLiteral("  warning: ") + warning);
        if (report.ok()) {
            print(QStringLiteral("No problems found."));
            return int(Success);
        }
        print(QStringLiteral("Problems found: the file needs repair."));
        return int(Failed);
    });
}

} // namespace merivex::tool
