#include "tools/maintenance.h"

#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/maintenance_sql.h"
#include "db/statements.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace merivex
{

namespace
{

namespace sql = Sql::maintenance;

struct Table {
    QString name;
    QStringList columns;
};

const Table biodata{QStringLiteral("Biodata"),
                    {QStringLiteral("IdPatient"), QStringLiteral("Name"), QStringLiteral("Sex"),
                     QStringLiteral("DateRegister"), QStringLiteral("BirthDate")}};
const Table bmiHistory{QStringLiteral("BMIHistory"),
                       {QStringLiteral("IdBMI"), QStringLiteral("IdPt"), QStringLiteral("Date"),
                        QStringLiteral("Weight"), QStringLiteral("Height")}};

std::shared_ptr<Database> openStandard(const QString &path)
{
    return DBEngine::instance().OpenDatabase(path, true, false, connectString());
}

// A column's value as text: null as "", numbers as the windows show them,
// text exactly as stored (names keep their blanks).
QString cellText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString ? v.toString() : displayText(v);
}

bool isNumber(const QVariant &v)
{
    return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double;
}

// Problems of one kind: the first few are listed, the rest counted.
class Findings
{
public:
    explicit Findings(QStringList &problems) : m_problems(problems) {}
    ~Findings()
    {
        if (m_count > limit)
            m_problems.append(QStringLiteral("... and %1 more like these").arg(m_count - limit));
    }
    void add(const QString &line)
    {
        if (++m_count <= limit)
            m_problems.append(line);
    }

private:
    static constexpr int limit = 5;
    QStringList &m_problems;
    int m_count = 0;
};

// Runs one step of the check; a failure of the engine becomes a problem line.
bool guarded(QStringList &problems, const QString &what, const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const Error &error) {
        problems.append(QStringLiteral("%1: error %2: %3")
                            .arg(what)
                            .arg(error.number())
                            .arg(error.description()));
        return false;
    }
}

// True when the table and all its columns are there.
bool checkColumns(const Database &db, const Table &table, QStringList &problems)
{
    Statement stmt = db.prepare(sql::tableInfo(table.name));
    QStringList found;
    while (stmt.step())
        found.append(cellText(stmt.column(1)));
    if (found.isEmpty()) {
        problems.append(QStringLiteral("table %1 is missing").arg(table.name));
        return false;
    }
    bool complete = true;
    for (const QString &column : table.columns) {
        if (!found.contains(column, Qt::CaseInsensitive)) {
            problems.append(QStringLiteral("%1: column %2 is missing").arg(table.name, column));
            complete = false;
        }
    }
    return complete;
}

// Ids run 1, 2, 3 ... without gaps: the application takes the last id + 1.
int checkIds(const Database &db, const QString &sqlText, const QString &table,
             const QString &column, QStringList &problems)
{
    Statement stmt = db.prepare(sqlText);
    Findings findings(problems);
    qint64 expected = 1;
    int rows = 0;
    while (stmt.step()) {
        ++rows;
        const QVariant value = stmt.column(0);
        const QString text = cellText(value);
        if (value.typeId() != QMetaType::LongLong) {
            findings.add(
                QStringLiteral("%1: %2 '%3' is not a whole number").arg(table, column, text));
            continue;
        }
        const qint64 id = value.toLongLong();
        if (id != expected)
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

void syncDescriptor(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | flags);
    const int error = fd < 0 || ::fsync(fd) != 0 ? errno : 0;
    if (fd >= 0)
        ::close(fd);
    if (error)
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not sync '%1' to disk (%2).").arg(path, std::strerror(error)));
}

// Writes data to path through a private temporary file beside it, renamed over
// path at the end, so a failed write never leaves a half file.
void writeFileAtomically(const QString &path, const QByteArray &data)
{
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not write '%1': %2.").arg(path, file.errorString()));
    if (file.write(data) != data.size() || !file.flush())
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not write '%1': %2.").arg(path, file.errorString()));
    if (::fsync(file.handle()) != 0 || std::rename(QFile::encodeName(file.fileName()).constData(),
                                                   QFile::encodeName(path).constData()) != 0)
        fail(ErrorNumber::DiskIoError, QStringLiteral("Could not write '%1'.").arg(path));
    file.setAutoRemove(false);
    syncFolderOf(path);
}

class CsvWriter
{
public:
    void row(const QStringList &fields)
    {
        QStringList quoted;
        for (const QString &field : fields)
            quoted.append(csvField(field));
        m_text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    QByteArray bytes() const { return m_text.toUtf8(); }

private:
    QString m_text;
};

QByteArray patientsCsv(const Database &db, int *rows)
{
    CsvWriter csv;
    csv.row(biodata.columns);
    Statement stmt = db.prepare(sql::patientsForExport);
    while (stmt.step()) {
        QStringList fields;
        for (int i = 0; i < 5; ++i)
            fields.append(cellText(stmt.column(i)));
        csv.row(fields);
        ++*rows;
    }
    return csv.bytes();
}

QByteArray historyCsv(const Database &db, int *rows)
{
    CsvWriter csv;
    csv.row({QStringLiteral("IdBMI"), QStringLiteral("IdPatient"), QStringLiteral("Name"),
             QStringLiteral("Date"), QStringLiteral("DateStored"), QStringLiteral("Height"),
             QStringLiteral("Weight"), QStringLiteral("BMI")});
    Statement stmt = db.prepare(sql::historyForExport);
    while (stmt.step()) {
        QVariant v[6];
        for (int i = 0; i < 6; ++i)
            v[i] = stmt.column(i);
        const QString stored = cellText(v[3]);
        QString bmi;
        if (isNumber(v[4]) && isNumber(v[5]) && v[4].toDouble() != 0) {
            const double height = v[4].toDouble();
            bmi = displayText(QVariant(v[5].toDouble() / (height * height)));
        }
        csv.row({cellText(v[0]), cellText(v[1]), cellText(v[2]), isoDate(stored), stored,
                 cellText(v[4]), cellText(v[5]), bmi});
        ++*rows;
    }
    return csv.bytes();
}

} // namespace

QString csvField(const QString &text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
                             (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!needsQuotes)
        return text;
    QString inner = text;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString isoDate(const QString &stored)
{
    return readStoredDate(stored).toString(Qt::ISODate);
}

CheckReport checkPatientDatabase(const QString &path)
{
    const auto db = openStandard(path);
    const Database &handle = *db;
    CheckReport report;
    QStringList &problems = report.problems;

    guarded(problems, QStringLiteral("integrity check"), [&] {
        Statement stmt = handle.prepare(sql::integrityCheck);
        Findings findings(problems);
        while (stmt.step()) {
            const QString line = cellText(stmt.column(0));
            if (line != QLatin1String("ok"))
                findings.add(QStringLiteral("integrity check: ") + line);
        }
    });

    bool patientsComplete = false, historyComplete = false;
    guarded(problems, QStringLiteral("tables"), [&] {
        patientsComplete = checkColumns(handle, biodata, problems);
        historyComplete = checkColumns(handle, bmiHistory, problems);
    });
    if (patientsComplete)
        guarded(problems, biodata.name, [&] {
            report.patients =
                checkIds(handle, sql::patientIds, biodata.name, biodata.columns[0], problems);
        });
    if (historyComplete)
        guarded(problems, bmiHistory.name, [&] {
            report.measurements = checkIds(handle, sql::measurementIds, bmiHistory.name,
                                           bmiHistory.columns[0], problems);
            checkMeasurements(handle, problems);
        });
    if (patientsComplete && historyComplete)
        guarded(problems, bmiHistory.name, [&] { checkPatientsExist(handle, problems); });
    return report;
}

ExportCounts exportCsv(const QString &path, const QString &dir, bool overwrite)
{
    const QString patients = QDir(dir).filePath(QStringLiteral("patients.csv"));
    const QString history = QDir(dir).filePath(QStringLiteral("history.csv"));
    if (!overwrite) {
        for (const QString &file : {patients, history}) {
            if (QFileInfo::exists(file))
                throw Error(ErrorNumber::DatabaseExists,
                            QStringLiteral("File '%1' already exists.").arg(file));
        }
    }
    const auto db = openStandard(path);
    if (!QDir().mkpath(dir))
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not create the folder '%1'.").arg(dir));
    // Both are read before either is written: a file that fails to read
    // leaves the earlier export as it was.
    ExportCounts counts;
    const QByteArray patientRows = patientsCsv(*db, &counts.patients);
    const QByteArray historyRows = historyCsv(*db, &counts.measurements);
    writeFileAtomically(patients, patientRows);
    writeFileAtomically(history, historyRows);
    return counts;
}

namespace
{

// A new, empty file beside a destination, under a name no other file has;
// the engine writes into it by name. Removed again unless renamed.
class PartFile
{
public:
    explicit PartFile(const QString &dest)
    {
        for (int attempt = 0; attempt < 16 && m_path.isEmpty(); ++attempt) {
            const QString name =
                dest + QStringLiteral(".part-%1")
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            QFile file(name);
            // As private as the original.
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                          QFile::ReadOwner | QFile::WriteOwner))
                m_path = name;
            else if (!file.exists())
                fail(ErrorNumber::DiskIoError,
                     QStringLiteral("Could not create '%1': %2.").arg(name, file.errorString()));
        }
        if (m_path.isEmpty())
            fail(ErrorNumber::DiskIoError,
                 QStringLiteral("Could not create a file beside '%1'.").arg(dest));
    }
    ~PartFile()
    {
        if (!m_renamed)
            QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral("-journal"));
    }
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    const QString &path() const { return m_path; }

    // Never replaces a file that appeared at dest meanwhile.
    void renameTo(const QString &dest)
    {
        if (!QFile::rename(m_path, dest)) {
            if (QFileInfo::exists(dest))
                fail(ErrorNumber::DatabaseExists, dest);
            fail(ErrorNumber::DiskIoError,
                 QStringLiteral("Could not rename the copy to '%1'.").arg(dest));
        }
        m_renamed = true;
    }

private:
    QString m_path;
    bool m_renamed = false;
};

} // namespace

void backupPatientDatabase(const QString &path, const QString &dest)
{
    if (QFileInfo::exists(dest))
        fail(ErrorNumber::DatabaseExists, dest);
    const auto db = openStandard(path);

    // The engine's online backup would write the pages decrypted; exporting
    // into an attached file keyed with the same password keeps them encrypted.
    PartFile copy(dest);
    {
        Statement attach = db->prepare(sql::attachCopy);
        attach.bind(1, copy.path());
        attach.bind(2, engine::passwordOf(connectString()));
        attach.step();
    }
    try {
        db->execute(sql::exportToCopy);
    } catch (...) {
        db->execute(sql::detachCopy);
        throw;
    }
    db->execute(sql::detachCopy);

    // Only a copy that opens with the password and reads both tables is kept.
    {
        const auto check =
            DBEngine::instance().OpenDatabase(copy.path(), true, true, connectString());
        check->OpenRecordset(Sql::A(), dbOpenSnapshot, dbSQLPassThrough);
        check->OpenRecordset(Sql::C(), dbOpenSnapshot, dbSQLPassThrough);
    }
    copy.renameTo(dest);
    syncFolderOf(dest);
}

void syncFile(const QString &path)
{
    syncDescriptor(path, 0);
}

void syncFolderOf(const QString &path)
{
    syncDescriptor(QFileInfo(path).absolutePath(), O_DIRECTORY);
}

} // namespace merivex
