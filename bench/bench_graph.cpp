// How long the graph window takes with a full history: from the showing to
// the first painted frame, also with the trend shown at once, one repaint
// after a resize, and the redraw after a change of period. Beside it, in the
// same run, the chart as a plain port would draw it: the trend statement
// walked twice, every value through its text, three QLineSeries and a
// QBarCategoryAxis with a label per point.
#include "app/application.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "db/dao.h"
#include "db/database_file.h"
#include "db/display_text.h"
#include "db/statements.h"
#include "graph/datelabels.h"
#include "graph/frmGraph.h"
#include "graph/graphlite.h"
#include "patientfile.h"
#include "testapp.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QHash>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMdiSubWindow>
#include <QValueAxis>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace
{
constexpr int Points = 32767;
constexpr int Rounds = 7;

GraphLite &chart()
{
    return *Forms::get<frmGraph>().client()->findChild<GraphLite *>("GraphLite1");
}

// Counts the paints of a widget.
class Frames : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Runs events until frames has counted a paint after `before`; the paint
// itself is done when processEvents returns.
void waitForFrame(const Frames &frames, int before)
{
    while (frames.count <= before)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A key pressed on the chart, as the window's keys are.
void chartKey(Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart(), &press);
}

// The windows unloaded before a measurement are destroyed first, not during
// it: otherwise the second of two loads in a row pays for the first.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

double loadOnce(bool withTrend = false)
{
    frmGraph &graph = Forms::get<frmGraph>();
    Frames frames;
    QElapsedTimer timer;
    timer.start();
    graph.Show();
    if (withTrend)
        chartKey(Qt::Key_T); // before the first frame
    // The view is made with the window; its viewport paints the chart.
    QWidget *viewport = chart().findChild<QChartView *>()->viewport();
    viewport->installEventFilter(&frames);
    waitForFrame(frames, 0);
    const double ms = timer.nsecsElapsed() / 1e6;
    viewport->removeEventFilter(&frames);
    if (chart().shown().points.value(2).size() != Points)
        qFatal("the chart shows %d points", int(chart().shown().points.value(2).size()));
    return ms;
}

// P: the next period (all, 30, 90, 365 days), redrawn.
double periodOnce()
{
    QCoreApplication::processEvents();
    Frames frames;
    QWidget *viewport = chart().findChild<QChartView *>()->viewport();
    viewport->installEventFilter(&frames);
    QElapsedTimer timer;
    timer.start();
    chartKey(Qt::Key_P);
    waitForFrame(frames, 0);
    viewport->removeEventFilter(&frames);
    return timer.nsecsElapsed() / 1e6;
}

double resizeOnce(int round)
{
    QWidget *frame = Forms::get<frmGraph>().window();
    const QSize size = round % 2 ? QSize(640, 480) : QSize(560, 400);
    QCoreApplication::processEvents();
    Frames frames;
    QWidget *viewport = chart().findChild<QChartView *>()->viewport();
    viewport->installEventFilter(&frames);
    QElapsedTimer timer;
    timer.start();
    frame->resize(size);
    waitForFrame(frames, 0);
    viewport->removeEventFilter(&frames);
    return timer.nsecsElapsed() / 1e6;
}

// The plain port, at the graph window's chart size, from opening the file to
// its first frame.
double naiveOnce()
{
    using namespace merivex;
    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<Database> db = openPatientDatabase();
    std::shared_ptr<Recordset> result = db->OpenRecordset(Sql::patientHistory(QStringLiteral("1")),
                                                          dbOpenSnapshot, dbSQLPassThrough);
    int n = 0;
    while (!result->AtEOF()) {
        result->MoveNext();
        ++n;
    }
    result->MoveFirst();
    auto chart = std::make_unique<QChart>();
    auto ideal = std::make_unique<QLineSeries>(), under = std::make_unique<QLineSeries>(),
         bmi = std::make_unique<QLineSeries>();
    QStringList labels;
    QHash<QString, int> seen;
    const DateLabels dates;
    for (int i = 0; i < n && !result->AtEOF(); ++i) {
        // The axis takes each category once: a repeated label is told apart
        // by zero-width spaces.
        const QString label = dates.label(displayText(result->Fields(0).Value()));
        labels.append(label + QString(seen[label]++, QChar(0x200B)));
        ideal->append(i, QString::number(25).toDouble());
        under->append(i, QString::number(20).toDouble());
        bmi->append(i, displayText(result->Fields(Sql::HistoryColumn::Bmi).Value()).toDouble());
        result->MoveNext();
    }
    result->Close();
    ideal->setName(QStringLiteral("Ideal Weight"));
    ideal->setColor(Qt::red);
    under->setName(QStringLiteral("UnderWeight"));
    under->setColor(Qt::blue);
    bmi->setName(QStringLiteral("Your Weight"));
    bmi->setColor(Qt::yellow);
    auto *axisX = new QBarCategoryAxis(chart.get());
    axisX->append(labels);
    auto *axisY = new QValueAxis(chart.get());
    axisY->setRange(0, 50);
    chart->addAxis(axisX, Qt::AlignBottom);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QLineSeries *line : {ideal.release(), under.release(), bmi.release()}) {
        chart->addSeries(line);
        line->attachAxis(axisX);
        line->attachAxis(axisY);
    }
    chart->setTitle(QStringLiteral("Body Weight Index"));
    chart->setBackgroundBrush(Qt::white);

    QChartView view(chart.release());
    view.resize(524, 348); // the window's chart
    Frames frames;
    view.viewport()->installEventFilter(&frames);
    view.show();
    waitForFrame(frames, 0);
    return timer.nsecsElapsed() / 1e6;
}

double median(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// A target of 0: none.
void report(const char *what, QList<double> ms, double target = 0)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %7.1f ms  min %7.1f  max %7.1f", what, median(ms), ms.first(),
                ms.last());
    if (target > 0)
        std::printf("  (target <= %g ms) %s", target, median(ms) <= target ? "ok" : "OVER");
    std::printf("\n");
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitApplication();
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    testfiles::addManyMeasurements(1, Points);
    Module1::CurrentPatientId = "1";
    Module1::CurrentUserName = "Ali";
    std::printf("frmGraph with %d measurements, platform %s\n", Points,
                qPrintable(QGuiApplication::platformName()));

    // Rounds alternate between the window and the plain port.
    QList<double> loads, resizes, naive, trendLoads, periods;
    for (int round = 0; round < Rounds; ++round) {
        trendLoads.append(loadOnce(true));
        Forms::get<frmGraph>().Unload();
        Forms::get<frmBmi>().Unload();
        settle();
        loads.append(loadOnce());
        resizes.append(resizeOnce(round));
        for (int change = 0; change < 4; ++change)
            periods.append(periodOnce());
        Forms::get<frmGraph>().Unload();
        Forms::get<frmBmi>().Unload(); // shown by the closing graph, maximized
        settle();
        naive.append(naiveOnce());
        QCoreApplication::processEvents();
    }
    report("load to first frame", loads, 30);
    report("load with the trend", trendLoads);
    const double trendCost = median(trendLoads) - median(loads);
    std::printf("%-28s %+7.1f ms to the first frame (target <= 5 ms) %s\n", "trend", trendCost,
                trendCost <= 5 ? "ok" : "OVER");
    report("change of period redraw", periods, 16.7);
    report("resize repaint", resizes, 33);
    report("plain port, label per point", naive);
    const double ratio = median(naive) / median(loads);
    std::printf("%-28s %7.1fx the plain port (target >= 40x) %s\n", "load", ratio,
                ratio >= 40 ? "ok" : "UNDER");
    return 0;
}
