#include "graph/frmGraph.h"

#include "classic/accessibility.h"
#include "classic/forms.h"
#include "classic/shared_state.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/history.h"
#include "db/int16.h"
#include "db/today.h"
#include "graph/datelabels.h"
#include "graph/graphlite.h"
#include "graph/historyreport.h"
#include "graph/trend.h"
#include "graph/trendchart.h"
#include "ui_frmGraph.h"

#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

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
QString chartDescription(const PointTable &table, int measured, const QString &none)
{
    QString text;
    if (measured == 0)
        text = none;
    else if (measured == 1)
        text = QStringLiteral("1 measurement: %1.").arg(spokenPoint(table, 0));
    else
        text = QStringLiteral("%1 measurements, the first on %2, the last on %3.")
                   .arg(measured)
                   .arg(spokenPoint(table, 0), spokenPoint(table, measured - 1));
    return text + QStringLiteral(" Reference lines: Ideal Weight at 25, UnderWeight at 20.");
}
QString periodName(int days)
{
    return days ? QStringLiteral("Last %1 days").arg(days) : QStringLiteral("All");
}

// The keys of the chart, handed to the window.
class ChartKeys : public QObject
{
public:
    ChartKeys(QObject *chart, std::function<bool(int, Qt::KeyboardModifiers)> handler)
        : QObject(chart), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        return m_handler(key->key(), key->modifiers());
    }

private:
    std::function<bool(int, Qt::KeyboardModifiers)> m_handler;
};
} // namespace

// The measurements of the load, in the history's order. The dates are read
// and the trend computed on first need: a chart without them opens as fast
// as before.
struct frmGraph::History {
    std::shared_ptr<std::vector<merivex::FieldValue>> stored =
        std::make_shared<std::vector<merivex::FieldValue>>();
    QList<double> bmis;
    QList<merivex::trend::Measurement> measurements; // bmi and id; dates once read
    bool dated = false;
    QList<double> trend;
    QString sentence;
    bool smoothed = false;
    // The rows the chart shows, by their index here; a new list for each
    // drawing, since the chart's labels hold on to theirs.
    std::shared_ptr<std::vector<int>> shown = std::make_shared<std::vector<int>>();

    void readDates()
    {
        if (dated)
            return;
        // From the stored bytes: a text per date would cost more than the trend.
        const int thisYear = merivex::dates::currentYear();
        for (qsizetype i = 0; i < measurements.size(); ++i) {
            const auto *text = std::get_if<std::string>(&(*stored)[std::size_t(i)]);
            if (!text)
                continue;
            const merivex::dates::DayMonthYear day =
                merivex::dates::parseDayMonthYear(text->data(), text->size(), thisYear);
            if (day.valid)
                measurements[i].date = QDate(day.year, day.month, day.day);
        }
        dated = true;
    }
    void smooth()
    {
        if (smoothed)
            return;
        readDates();
        trend = merivex::trend::smoothed(measurements);
        sentence = merivex::trend::sentence(merivex::trend::wayAhead(measurements, trend));
        smoothed = true;
    }
};

frmGraph::frmGraph() = default;

// The window goes while teardown can still release the form.
frmGraph::~frmGraph()
{
    Discard();
}

std::unique_ptr<QWidget> frmGraph::build()
{
    // Every opening starts with the chart as designed.
    m_trendShown = false;
    m_periodDays = 0;
    m_current = -1;
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
                     [this](const QPoint &at) { showMenu(at); });
    chart->installEventFilter(new ChartKeys(
        chart, [this](int key, Qt::KeyboardModifiers mods) { return chartKey(key, mods); }));
}

void frmGraph::showMenu(const QPoint &at)
{
    GraphLite *chart = m_ui->GraphLite1;
    QMenu menu(chart);
    const QAction *print = menu.addAction(QStringLiteral("Print…"));
    const QAction *pdf = menu.addAction(QStringLiteral("Save as PDF…"));
    menu.addSeparator();
    QAction *trend = menu.addAction(QStringLiteral("Show trend\tT"));
    trend->setCheckable(true);
    trend->setChecked(m_trendShown);
    QMenu *period = menu.addMenu(QStringLiteral("Period\tP"));
    QActionGroup group(&menu);
    QList<const QAction *> periods;
    for (const int days : Periods) {
        QAction *item = period->addAction(periodName(days));
        item->setCheckable(true);
        item->setChecked(days == m_periodDays);
        group.addAction(item);
        periods.append(item);
    }
    const QAction *chosen = menu.exec(chart->mapToGlobal(at));
    if (!chosen)
        return;
    if (chosen == print)
        Guarded([this] { printReport(); });
    else if (chosen == pdf)
        Guarded([this] { saveReportAsPdf(); });
    else if (chosen == trend)
        setTrendShown(!m_trendShown);
    else if (const qsizetype i = periods.indexOf(chosen); i >= 0)
        setPeriod(Periods[i]);
}

bool frmGraph::chartKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers plain = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && plain == Qt::ShiftModifier)) {
        showMenu(m_ui->GraphLite1->rect().center());
        return true;
    }
    if (plain != Qt::NoModifier)
        return false;
    switch (key) {
    case Qt::Key_T:
        setTrendShown(!m_trendShown);
        return true;
    case Qt::Key_P: {
        const int *now = std::find(std::begin(Periods), std::end(Periods), m_periodDays);
        setPeriod(now + 1 < std::end(Periods) ? now[1] : Periods[0]);
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        walk(key);
        return true;
    default:
        return false;
    }
}

void frmGraph::setTrendShown(bool shown)
{
    m_trendShown = shown;
    drawChart();
    const QString sentence = m_history ? m_history->sentence : QString();
    Announce(m_ui->GraphLite1,
             shown ? QStringLiteral("Trend shown. ") + sentence : QStringLiteral("Trend hidden."));
}

void frmGraph::setPeriod(int days)
{
    m_periodDays = days;
    m_current = -1;
    const int count = drawChart();
    Announce(m_ui->GraphLite1,
             count == 0 ? QStringLiteral("No measurements in the last %1 days.").arg(days)
                        : QStringLiteral("%1: %2 measurement%3.")
                              .arg(periodName(days))
                              .arg(count)
                              .arg(count == 1 ? QString() : QStringLiteral("s")));
}

void frmGraph::walk(int key)
{
    const int count = m_history ? int(m_history->shown->size()) : 0;
    if (count == 0)
        return;
    const int last = count - 1;
    if (key == Qt::Key_Home || (m_current < 0 && key == Qt::Key_Right))
        m_current = 0;
    else if (key == Qt::Key_End || (m_current < 0 && key == Qt::Key_Left))
        m_current = last;
    else
        m_current = qBound(0, m_current + (key == Qt::Key_Right ? 1 : -1), last);
    GraphLite &chart = *m_ui->GraphLite1;
    chart.markPoint(m_current, 2);
    chart.redraw();
    Announce(&chart, spokenPoint(m_current));
}

QString frmGraph::spokenPoint(int shownPoint) const
{
    const int row = (*m_history->shown)[std::size_t(shownPoint)];
    m_history->readDates();
    const QDate date = m_history->measurements[row].date;
    const double bmi = m_history->bmis[row];
    QString text = date.isValid() ? date.toString(QStringLiteral("dd/MM/yy"))
                                  : QStringLiteral("an unreadable date");
    text += std::isnan(bmi) ? QStringLiteral(", no BMI")
                            : QStringLiteral(", BMI ") + QLocale().toString(bmi, 'f', 1);
    if (m_trendShown && !std::isnan(m_history->trend[row]))
        text += QStringLiteral(", trend ") + QLocale().toString(m_history->trend[row], 'f', 1);
    return text;
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
    PatientHistory read = readPatientHistory(*Module1::PatientDatabase, id);
    Module1::PatientRecordset = std::move(read.result);
    std::vector<HistoryRow> &rows = read.rows;
    // The point index is a 16-bit number.
    if (rows.size() > std::size_t(std::numeric_limits<qint16>::max()))
        fail(ErrorNumber::Overflow);

    // The BMIs go to the chart as numbers; the chart keeps the dates and
    // labels one only if the axis shows it.
    auto history = std::make_unique<History>();
    history->bmis.reserve(qsizetype(rows.size()));
    history->measurements.reserve(qsizetype(rows.size()));
    history->stored->reserve(rows.size());
    for (HistoryRow &row : rows) {
        const double bmi = trendValue(row.bmi);
        history->bmis.append(bmi);
        history->measurements.append({QDate(), row.idBmi, bmi});
        history->stored->push_back(std::move(row.date));
    }
    m_history = std::move(history);
    if (m_current >= int(rows.size()))
        m_current = -1;
    drawChart();
}

int frmGraph::drawChart()
{
    using namespace merivex;
    History &h = *m_history;
    auto shown = std::make_shared<std::vector<int>>();
    shown->reserve(std::size_t(h.bmis.size()));
    if (m_periodDays == 0) {
        for (int i = 0; i < int(h.bmis.size()); ++i)
            shown->push_back(i);
    } else {
        h.readDates();
        // Today and the days before it; a date that does not read has no day.
        const QDate first = Today::date().addDays(1 - m_periodDays);
        for (int i = 0; i < int(h.bmis.size()); ++i)
            if (h.measurements[i].date.isValid() && h.measurements[i].date >= first)
                shown->push_back(i);
    }
    h.shown = shown;
    if (m_trendShown)
        h.smooth();

    QList<double> bmis, trend;
    bmis.reserve(qsizetype(shown->size()));
    for (const int i : *shown)
        bmis.append(h.bmis[i]);
    if (m_trendShown) {
        trend.reserve(qsizetype(shown->size()));
        for (const int i : *shown)
            trend.append(h.trend[i]);
    }
    const int measured = int(shown->size());
    const PointTable table = trendTable(
        std::move(bmis),
        [stored = h.stored, shown, labels = DateLabels()](int point) {
            return labels.label(displayText((*stored)[std::size_t((*shown)[std::size_t(point)])]));
        },
        std::move(trend));

    GraphLite &chart = *m_ui->GraphLite1;
    const QString none =
        m_periodDays ? QStringLiteral("No measurements in the last %1 days").arg(m_periodDays)
                     : QString();
    chart.setNote(m_trendShown ? h.sentence : QString());
    chart.setMessage(measured == 0 ? none : QString());
    chart.markPoint(m_current, 2);
    drawTrend(chart, table);
    QString description = chartDescription(table, measured,
                                           none.isEmpty() ? QStringLiteral("No measurements.")
                                                          : none + QLatin1Char('.'));
    if (m_trendShown && !h.sentence.isEmpty())
        description += QLatin1Char(' ') + h.sentence + QLatin1Char('.');
    chart.setAccessibleDescription(description);
    return measured;
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
