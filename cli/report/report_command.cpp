// merivex-db report: a patient's measurements as an A4 PDF for a doctor.
#include "cli/commands.h"
#include "db/database_file.h"
#include "db/files.h"
#include "db/int16.h"
#include "graph/historyreport.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>

namespace merivex::tool
{

namespace
{

// The PDF drawn in memory, then written as a new file that takes the name
// only if nothing has it by then.
int writeReport(const HistoryReport &report, const QString &out)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("Body weight report: ") + report.name);
        pdf.setCreator(QStringLiteral("merivex-db"));
        pages = paintHistoryReport(report, pdf);
    }
    NewFile file(out);
    file.write(buffer.data());
    file.linkAs(out);
    return pages;
}

// Exactly yyyy-mm-dd: the date parser would also take a sign before the year.
} // namespace

int report(int argc, char *argv[])
{
    // The report is drawn into the file only; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(2);

    PatientPeriod given;
    if (const std::optional<int> wrong =
            readPatientPeriod(args, QStringLiteral("report"), QStringLiteral("OUT.pdf"), given))
        return *wrong;
    const QString &path = given.path, &out = given.out;
    const qint16 id = given.id;
    const QDate first = given.first, last = given.last;

    return run(QStringLiteral("%1 not written").arg(native(out)), [&] {
        const QFileInfo target(out);
        if (target.exists() || target.isSymLink())
            throw Error(
                ErrorNumber::DatabaseExists,
                QStringLiteral("'%1' already exists; the report never replaces a file.").arg(out));
        // Read from a private copy, as check does: the file and its folder
        // may be read-only, and nothing is written beside it.
        HistoryReport data;
        Snapshot(path).use([&](const QString &copy) {
            const auto db = DBEngine::instance().OpenDatabase(copy, true, false, connectString());
            data = readHistoryReport(*db, id, first, last);
        });
        const int pages = writeReport(data, out);
        // One pass over the text, so a '%' in the file's name stays as it is.
        const qsizetype rows = qsizetype(data.rows.size());
        print(QStringLiteral("Wrote %1: patient %2, %3 %4 on %5 A4 %6.")
                  .arg(native(out), QString::number(id), QString::number(rows),
                       rows == 1 ? QStringLiteral("measurement") : QStringLiteral("measurements"),
                       QString::number(pages),
                       pages == 1 ? QStringLiteral("page") : QStringLiteral("pages")));
        return int(Success);
    });
}

} // namespace merivex::tool
