#include "graph/frmGraph.h"

#include "classic/forms.h"
#include "classic/shared_state.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/display_text.h"
#include "db/history.h"
#include "db/int16.h"
#include "graph/datelabels.h"
#include "graph/historyreport.h"
#include "graph/trendchart.h"
#include "ui_frmGraph.h"

#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include <cmath>
#include <limits>
#include <memory>

namespace
{
HistoryReport currentReport()
{
    using namespace merivex;
    if (!Module1::PatientDatabase)
        Module1::PatientDatabase = openPatientDatabase();
    return readHistoryReport(*Module1::PatientDatabase, idFromText(Module1::CurrentPatientId), {},
                             {});
}

QString spokenPoint(const PointTable &table, int point)
{
    const QString date = table.label(point);
    const double bmi = table.series[2][point];
    return (date.isEmpty() ? QStringLiteral("an unreadable date") : date) +
           (std::isnan(bmi) ? QStringLiteral(", no BMI")
                            : QStringLiteral(", BMI ") + QLocale().toString(bmi, 'f', 1));
}

// What a screen reader says instead of showing the picture.
QString chartDescription(const PointTable &table, int measured)
{
    QString text;
    if (measured == 0)
        text = QStringLiteral("No measurements.");
    else if (measured == 1)
        text = QStringLiteral("1 measurement: %1.").arg(spokenPoint(table, 0));
    else
        text = QStringLiteral("%1 measurements, the first on %2, the last on %3.")
                   .arg(measured)
                   .arg(spokenPoint(table, 0), spokenPoint(table, measured - 1));
    return text + QStringLiteral(" Reference lines: Ideal Weight at 25, UnderWeight at 20.");
}
} // namespace

frmGraph::frmGraph() = default;

// The window goes while teardown can still release the form.
frmGraph::~frmGraph()
{
    Discard();
}

std::unique_ptr<QWidget> frmGraph::build()
{
    m_ui = std::make_unique<Ui::frmGraph>();
    auto widget = std::make_unique<QWidget>();
    m_ui->setupUi(widget.get());
    return widget;
}

void frmGraph::teardown()
{
    m_ui.reset();
}

void frmGraph::connectHandlers()
{
    GraphLite *chart = m_ui->GraphLite1;
    chart->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(chart, &QWidget::customContextMenuRequested, this,
                     [this, chart](const QPoint &at) {
                         QMenu menu(chart);
                         const QAction *print = menu.addAction(QStringLiteral("Print…"));
                         const QAction *pdf = menu.addAction(QStringLiteral("Save as PDF…"));
                         const QAction *chosen = menu.exec(chart->mapToGlobal(at));
                         if (chosen == print)
                             Guarded([this] { printReport(); });
                         else if (chosen == pdf)
                             Guarded([this] { saveReportAsPdf(); });
                     });
}

void frmGraph::printReport()
{
    const HistoryReport report = currentReport();
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, client());
    if (dialog.exec() == QDialog::Accepted)
        paintHistoryReport(report, printer);
}

void frmGraph::saveReportAsPdf()
{
    using namespace merivex;
    const QString path = QFileDialog::getSaveFileName(
        client(), QStringLiteral("Save as PDF"),
        QDir::home().filePath(QStringLiteral("report.pdf")), QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const HistoryReport report = currentReport();
    // Written whole or not at all, readable by its owner only.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not write '%1': %2.").arg(path, file.errorString()));
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(QStringLiteral("Body weight report: ") + report.name);
        paintHistoryReport(report, pdf);
    }
    if (!file.commit())
        fail(ErrorNumber::DiskIoError,
             QStringLiteral("Could not write '%1': %2.").arg(path, file.errorString()));
}

void frmGraph::Form_Load()
{
    using namespace merivex;
    GraphLite &chart = *m_ui->GraphLite1;
    chart.setLineWidth(1);
    chart.redraw();

    Module1::PatientDatabase = openPatientDatabase();
    const qint16 id = idFromText(Module1::CurrentPatientId);
    std::vector<HistoryRow> rows =
        readPatientHistory(*Module1::PatientDatabase, id, Module1::PatientRecordset);
    // The point index is a 16-bit number.
    if (rows.size() > std::size_t(std::numeric_limits<qint16>::max()))
        fail(ErrorNumber::Overflow);

    // The BMIs go to the chart as numbers; the chart keeps the dates and
    // labels one only if the axis shows it.
    QList<double> bmis;
    bmis.reserve(qsizetype(rows.size()));
    auto dates = std::make_shared<std::vector<FieldValue>>();
    dates->reserve(rows.size());
    for (HistoryRow &row : rows) {
        bmis.append(trendValue(row.bmi));
        dates->push_back(std::move(row.date));
    }
    const int measured = int(rows.size());
    const PointTable table = trendTable(std::move(bmis), [dates, labels = DateLabels()](int point) {
        return labels.label(displayText((*dates)[std::size_t(point)]));
    });

    drawTrend(chart, table);
    chart.setAccessibleDescription(chartDescription(table, measured));
}

void frmGraph::Form_Resize()
{
    GraphLite &chart = *m_ui->GraphLite1;
    const float width = float(ScaleWidth()) - 2 * chart.leftTwips();
    const float height = float(ScaleHeight()) - (chart.topTwips() + 120);
    // A minimised or tiny window leaves no room: the chart shrinks to nothing.
    chart.setPlacementTwips(chart.leftTwips(), chart.topTwips(), qMax(0.0f, width),
                            qMax(0.0f, height));
    chart.redraw();
}

void frmGraph::Form_Unload(int &cancel)
{
    Q_UNUSED(cancel);
    Forms::get(Forms::Window::Bmi).Show();
}

void frmGraph::Form_Terminate()
{
    Forms::get(Forms::Window::Bmi).Show();
}
