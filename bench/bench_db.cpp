// Times the database work of the windows on a full file: 32,767 patients and
// 32,767 measurements of one patient, against bare engine loops over the same
// statements on the same connection.
#include "db/dao.h"
#include "db/database_file.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/engine_sql.h"
#include "db/sqlite.h"
#include "db/statements.h"
#include "patientfile.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace merivex;

namespace
{

constexpr int fullTable = 32767;
constexpr int samples = 15;

double millisecondsOf(const std::function<void()> &f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::shared_ptr<Database> openFile(const QString &path)
{
    return DBEngine::instance().OpenDatabase(path, true, false, connectString());
}

// Rows written in one transaction through AddNew and Update.
void fill(Database &db, int patients, int measurements)
{
    QList<testfiles::Values> people, history;
    for (int id = 1; id <= patients; ++id)
        people.append({{"IdPatient", id},
                       {"Name", QStringLiteral("Patient %1").arg(id)},
                       {"Sex", "Female"},
                       {"DateRegister", "06/12/2026"},
                       {"BirthDate", "05/01/1970"}});
    const QDate today = QDate::currentDate();
    for (int id = 1; id <= measurements; ++id) {
        // Scattered days of the last 80 years, so the sort has work to do.
        const QDate day = today.addDays(-((id * 7919) % 29000));
        history.append({{"IdBMI", id},
                        {"IdPt", 1},
                        {"Date", formatDate(day, QStringLiteral("dd/mm/yy"))},
                        {"Weight", 50.0 + id % 40},
                        {"Height", 1.5 + (id % 50) / 100.0}});
    }
    db.BeginTrans();
    testfiles::insertRows(db, Sql::patientTable(), people);
    testfiles::insertRows(db, Sql::measurementTable(), history);
    db.CommitTrans();
}

// The registration's append: last id + 1, four more fields, store.
void appendPatient(Database &db)
{
    testfiles::appendPatient(db, QStringLiteral("Newest"));
}

// A read query as the windows walk it: every column of every row as text.
long readToEnd(Database &db, const QString &sql, int columns)
{
    auto rs = db.OpenRecordset(sql, dbOpenSnapshot, dbSQLPassThrough);
    long characters = 0;
    if (rs->RecordCount() == 0)
        return 0;
    for (rs->MoveFirst(); !rs->AtEOF(); rs->MoveNext()) {
        for (int i = 0; i < columns; ++i)
            characters += displayText(rs->Fields(i).Value()).size();
    }
    rs->Close();
    return characters;
}

// The same statement stepped by hand, each column fetched as text.
long bareLoop(Database &db, const QString &sql)
{
    Statement statement = db.prepare(sql);
    sqlite3_stmt *stmt = statement.handle();
    const int columns = sqlite3_column_count(stmt);
    long bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            sqlite3_column_text(stmt, i);
            bytes += sqlite3_column_bytes(stmt, i);
        }
    }
    return bytes;
}

void row(const char *what, const std::vector<double> &times, const char *target = "")
{
    std::printf("%-44s %9.2f %9.2f  %s\n", what, median(times),
                *std::min_element(times.begin(), times.end()), target);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString full = dir.filePath(QStringLiteral("full.mdb"));
    const QString almost = dir.filePath(QStringLiteral("almost.mdb"));
    try {
        double built = 0;
        createPatientDatabase(almost);
        built += millisecondsOf([&] { fill(*openFile(almost), fullTable - 1, fullTable); });
        QFile::copy(almost, full);
        appendPatient(*openFile(full));

        std::vector<double> open, append;
        for (int i = 0; i < samples; ++i) {
            const QString copy = dir.filePath(QStringLiteral("copy%1.mdb").arg(i));
            QFile::copy(almost, copy);
            std::shared_ptr<Database> db;
            open.push_back(millisecondsOf([&] { db = openFile(copy); }));
            append.push_back(millisecondsOf([&] { appendPatient(*db); }));
        }

        auto db = openFile(full);
        const QString b = Sql::patientList(), d = Sql::patientHistory(QStringLiteral("1"));
        std::vector<double> queryB, bareB, queryD, bareD;
        readToEnd(*db, b, 2); // warm the page cache for all of them alike
        for (int i = 0; i < samples; ++i) {
            queryB.push_back(millisecondsOf([&] { readToEnd(*db, b, 2); }));
            bareB.push_back(millisecondsOf([&] { bareLoop(*db, b); }));
            queryD.push_back(millisecondsOf([&] { readToEnd(*db, d, 4); }));
            bareD.push_back(millisecondsOf([&] { bareLoop(*db, d); }));
        }

        // The schema check every open runs: triggers and views refused, one
        // read of the schema table, here on a full file.
        std::vector<double> schemaCheck;
        for (int i = 0; i < samples; ++i)
            schemaCheck.push_back(millisecondsOf([&] {
                                      for (int n = 0; n < 100; ++n)
                                          db->value(Sql::engine::schemaCheck);
                                  }) /
                                  100);

        std::printf("Patient file: %d patients, %d measurements of one patient "
                    "(built in %.0f ms)\n\n",
                    fullTable, fullTable, built);
        std::printf("%-44s %9s %9s\n", "operation", "median ms", "min ms");
        row("open (key, first read, settings)", open);
        row("  of which the schema check (one run)", schemaCheck, "target < 0.5 ms");
        row("append patient, next id at 32,766 rows", append, "target <= 20 ms");
        row("query B read to end (32,767 rows)", queryB);
        row("  bare sqlite3_step loop of B", bareB);
        row("query D read to end (32,767 rows)", queryD);
        row("  bare sqlite3_step loop of D", bareD);
        std::printf("\nB / bare B = %.2f, D / bare D = %.2f (target <= 2)\n",
                    median(queryB) / median(bareB), median(queryD) / median(bareD));
    } catch (const Error &error) {
        std::fprintf(stderr, "bench_db: error %d: %s\n", error.number(),
                     error.description().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
