// How long the graph window takes with a full history: from the showing to
// the first painted frame, and one repaint after a resize.
#include "app/application.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "graph/frmGraph.h"
#include "patientfile.h"
#include "testapp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <algorithm>
#include <cstdio>

namespace
{
constexpr int Points = 32767;
constexpr int Rounds = 7;

GraphLite &chart()
{
    return *Forms::get<frmGraph>().ui().GraphLite1;
}

// Runs events until the chart has painted a frame after `before`.
void waitForFrame(int before)
{
    while (chart().frameCount() <= before)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double loadOnce()
{
    frmGraph &graph = Forms::get<frmGraph>();
    QElapsedTimer timer;
    timer.start();
    graph.Show();
    waitForFrame(0);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (chart().pointCount() != Points)
        qFatal("the chart shows %d points", chart().pointCount());
    return ms;
}

double resizeOnce(int round)
{
    QWidget *frame = Forms::get<frmGraph>().window();
    const QSize size = round % 2 ? QSize(640, 480) : QSize(560, 400);
    QCoreApplication::processEvents();
    const int before = chart().frameCount();
    QElapsedTimer timer;
    timer.start();
    frame->resize(size);
    waitForFrame(before);
    return timer.nsecsElapsed() / 1e6;
}

void report(const char *what, QList<double> ms, double target)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s median %7.1f ms  min %7.1f  max %7.1f  (target <= %.0f ms) %s\n", what,
                ms[ms.size() / 2], ms.first(), ms.last(), target,
                ms[ms.size() / 2] <= target ? "ok" : "OVER");
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

    QList<double> loads;
    QList<double> resizes;
    for (int round = 0; round < Rounds; ++round) {
        loads.append(loadOnce());
        resizes.append(resizeOnce(round));
        Forms::get<frmGraph>().Unload();
        Forms::get<frmBmi>().Unload(); // shown by the closing graph, maximized
        QCoreApplication::processEvents();
    }
    report("load to first frame", loads, 150);
    report("resize repaint", resizes, 33);
    return 0;
}
