// The graph window: what it reads from the database, how it fits the chart,
// and which window comes back when it closes.
#include "app/frmMain.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/accessibility.h"
#include "classic/forms.h"
#include "db/today.h"
#include "graph/frmGraph.h"
#include "graph/graphlite.h"
#include "patientfile.h"
#include "testapp.h"

#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QtTest>

namespace
{
GraphLite &chart()
{
    return *Forms::get<frmGraph>().client()->findChild<GraphLite *>("GraphLite1");
}

QList<double> values(int series)
{
    QList<double> out;
    for (const QPointF &p : chart().shown().points.value(series))
        out.append(p.y());
    return out;
}

void choosePatient(int id, const QString &name)
{
    Module1::CurrentPatientId = QString::number(id);
    Module1::CurrentUserName = name;
}
} // namespace

class TestFrmGraph : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    // Ali (id 1) chosen, on a fresh file.
    void init()
    {
        m_run.emplace(true);
        testfiles::addPatient(1, "Ali");
        choosePatient(1, "Ali");
    }
    void cleanup() { m_run.reset(); }

    void drawsTheBmiByDateBetweenTheReferenceLines_data();
    void drawsTheBmiByDateBetweenTheReferenceLines();
    void oneMeasurementGivesTwoPoints();
    void sameDayAndMonthShareALabel();
    void labelsTakeTheLocaleSeparator();
    void nullBmiAndUnreadableDateDrawNothing();
    void noMeasurementShowsAnEmptyChart();
    void onlyThePatientsOwnMeasurements();
    void chartFitsTheWindow();
    void openWindowIsOnlyRaised();
    void closingShowsTheBmiWindow();
    void closingTheFrameReopensNothing();
    void noPatientIsReportedAndShowsNoWindow();
    void trendPeriodAndPointsByMenuAndKeys();
};

void TestFrmGraph::drawsTheBmiByDateBetweenTheReferenceLines_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("day-month-year") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    // Read back by the stored pattern, so a month-first locale swaps nothing.
    QTest::newRow("month-day-year") << QLocale(QLocale::English, QLocale::UnitedStates);
}

void TestFrmGraph::drawsTheBmiByDateBetweenTheReferenceLines()
{
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    MsgBoxRecorder messages;
    testfiles::addMeasurements({{1, 1, "05/01/01", 22.5, 1.0},
                                {2, 1, "12/02/01", 23.0, 1.0},
                                {3, 1, "20/03/01", 24.1, 1.0}});

    frmGraph &graph = Forms::get<frmGraph>();
    graph.Show();
    QVERIFY(graph.IsLoaded());
    QCOMPARE(graph.Caption(), QString("Your Weight Graf"));
    QVERIFY(messages.prompts().isEmpty());
    QCOMPARE(chart().shown().labels, QStringList({"05/01", "12/02", "20/03"}));
    QCOMPARE(values(0), QList<double>({25, 25, 25}));
    QCOMPARE(values(1), QList<double>({20, 20, 20}));
    QCOMPARE(values(2), QList<double>({22.5, 23, 24.1}));

    QCOMPARE(chart().shown().title, QString("Body Weight Index"));
    QCOMPARE(chart().shown().minimum, 0.0);
    QCOMPARE(chart().shown().maximum, 50.0);
    QCOMPARE(chart().shown().background, QColor(Qt::white));
    const QList<QPair<QString, QColor>> legend = chart().shown().legend;
    QCOMPARE(legend.size(), 3);
    QCOMPARE(legend[0], qMakePair(QString("Ideal Weight"), QColor(Qt::red)));
    QCOMPARE(legend[1], qMakePair(QString("UnderWeight"), QColor(Qt::blue)));
    QCOMPARE(legend[2], qMakePair(QString("Your Weight"), QColor(Qt::yellow)));
    // What a screen reader says instead of the picture.
    QCOMPARE(chart().accessibleName(), QString("Body Weight Index"));
    QCOMPARE(chart().accessibleDescription(),
             QString("3 measurements, the first on 05/01, BMI 22.5, the last on 20/03, BMI 24.1. "
                     "Reference lines: Ideal Weight at 25, UnderWeight at 20."));
    // The query closed its result; the connection stays open.
    QVERIFY(Module1::PatientDatabase);
    QVERIFY(Module1::PatientRecordset);
}

void TestFrmGraph::oneMeasurementGivesTwoPoints()
{
    testfiles::addMeasurements({{1, 1, "05/01/01", 65.0, 1.7}});
    Forms::get<frmGraph>().Show();
    QCOMPARE(chart().shown().labels, QStringList({"05/01", ""}));
    QCOMPARE(values(0), QList<double>({25}));
    QCOMPARE(chart().shown().points[2].size(), 1);
    QCOMPARE(chart().shown().points[2][0].y(), 65.0 / (1.7 * 1.7));
    QVERIFY(chart().accessibleDescription().startsWith("1 measurement: 05/01, BMI 22.5."));
}

void TestFrmGraph::sameDayAndMonthShareALabel()
{
    testfiles::addMeasurements({{1, 1, "05/01/01", 22.0, 1.0}, {2, 1, "05/01/02", 23.0, 1.0}});
    Forms::get<frmGraph>().Show();
    QCOMPARE(chart().shown().labels, QStringList({"05/01", "05/01"}));
    QCOMPARE(values(2), QList<double>({22, 23}));
}

// Dates stored with other separators and without zeros read alike.
void TestFrmGraph::labelsTakeTheLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    testfiles::addMeasurements({{1, 1, "05.01.01", 22.0, 1.0}, {2, 1, " 6-1-01 ", 23.0, 1.0}});
    Forms::get<frmGraph>().Show();
    QCOMPARE(chart().shown().labels, QStringList({"05.01", "06.01"}));
}

void TestFrmGraph::nullBmiAndUnreadableDateDrawNothing()
{
    MsgBoxRecorder messages;
    testfiles::addMeasurements({{1, 1, "05/01/01", 22.0, 1.0}});
    testfiles::addMeasurements({{2, 1, "06/01/01", 60.0, QVariant()}}); // no height: Null BMI
    testfiles::addMeasurements({{3, 1, "07/01/01", 24.0, 1.0}});
    testfiles::addMeasurements({{4, 1, QVariant(), 25.0, 1.0}}); // no date
    testfiles::addMeasurements({{5, 1, "31/02/01", 26.0, 1.0}}); // no such day
    Forms::get<frmGraph>().Show();
    QVERIFY(Forms::get<frmGraph>().IsLoaded());
    QVERIFY(messages.prompts().isEmpty());
    QCOMPARE(chart().shown().labels.size(), 5);
    QCOMPARE(chart().shown().labels.count(QString()), 2);
    QVERIFY(chart().shown().labels.contains("06/01"));
    // The Null BMI leaves a gap; the reference lines cross every point.
    QCOMPARE(chart().shown().points[2].size(), 4);
    QVERIFY(!values(2).contains(60.0));
    QCOMPARE(chart().shown().points[0].size(), 5);
}

void TestFrmGraph::noMeasurementShowsAnEmptyChart()
{
    MsgBoxRecorder messages;
    testfiles::addMeasurements({{1, 2, "05/01/01", 22.0, 1.0}}); // someone else's
    Forms::get<frmGraph>().Show();
    QVERIFY(Forms::get<frmGraph>().IsLoaded());
    QVERIFY(messages.prompts().isEmpty());
    QCOMPARE(chart().shown().labels.size(), 0);
    QCOMPARE(chart().shown().title, QString("Body Weight Index"));
    QCOMPARE(chart().shown().maximum, 50.0);
    QCOMPARE(chart().shown().legend.size(), 3);
    QVERIFY(chart().accessibleDescription().startsWith("No measurements."));
    QVERIFY(chart().shown().axisLabels.isEmpty());
    for (int k = 0; k < 3; ++k)
        QVERIFY(chart().shown().points[k].isEmpty());
}

void TestFrmGraph::onlyThePatientsOwnMeasurements()
{
    testfiles::addPatient(2, "Siti");
    testfiles::addMeasurements({{1, 1, "05/01/01", 22.0, 1.0},
                                {2, 2, "06/01/01", 30.0, 1.0},
                                {3, 2, "04/01/01", 31.0, 1.0}});
    choosePatient(2, "Siti");
    Forms::get<frmGraph>().Show();
    QCOMPARE(chart().shown().labels, QStringList({"04/01", "06/01"}));
    QCOMPARE(values(2), QList<double>({31, 30}));
}

void TestFrmGraph::chartFitsTheWindow()
{
    frmGraph &graph = Forms::get<frmGraph>();
    graph.Show();
    QCOMPARE(graph.ScaleWidth(), 7860.0);
    QCOMPARE(graph.ScaleHeight(), 5340.0);
    QCOMPARE(graph.window()->pos(), QPoint(0, 0));
    // First display: full inner width, 120 twips short of the bottom.
    QCOMPARE(chart().shown().twips.width(), graph.ScaleWidth());
    QCOMPARE(chart().shown().twips.height(), graph.ScaleHeight() - 120);

    // 400 x 267 pixels are 6000 x 4005 twips.
    graph.client()->resize(400, 267);
    QCOMPARE(graph.ScaleWidth(), 6000.0);
    QCOMPARE(chart().shown().twips.width(), 6000.0);
    QCOMPARE(chart().shown().twips.height(), 3885.0);
    QCOMPARE(chart().size(), QSize(400, 259));
    QCOMPARE(chart().pos(), QPoint(0, 0));

    // Lower than the bottom strip: no negative size reaches the chart.
    graph.client()->resize(3, 5);
    QCOMPARE(chart().shown().twips.height(), 0.0);
    QCOMPARE(chart().size(), QSize(3, 0));
}

void TestFrmGraph::openWindowIsOnlyRaised()
{
    testfiles::addMeasurements({{1, 1, "05/01/01", 22.0, 1.0}, {2, 1, "06/01/01", 23.0, 1.0}});
    frmGraph &graph = Forms::get<frmGraph>();
    graph.Show();
    testfiles::addMeasurements({{3, 1, "07/01/01", 24.0, 1.0}});
    graph.Show();
    QCOMPARE(chart().shown().labels.size(), 2);

    graph.Unload();
    QVERIFY(!graph.IsLoaded());
    graph.Show();
    QCOMPARE(chart().shown().labels.size(), 3);
    QCOMPARE(values(2), QList<double>({22, 23, 24}));
}

void TestFrmGraph::closingShowsTheBmiWindow()
{
    testapp::openPatientDatabase();
    frmBmi &bmi = Forms::get<frmBmi>();
    bmi.Show();
    bmi.Unload();
    QVERIFY(!bmi.IsLoaded());

    frmGraph &graph = Forms::get<frmGraph>();
    graph.Show();
    QVERIFY(graph.window()->close()); // the user closes it
    QVERIFY(!graph.IsLoaded());
    QVERIFY(bmi.IsLoaded());

    // Discarding the instance does the same.
    bmi.Unload();
    graph.Show();
    graph.Terminate();
    QVERIFY(!graph.IsLoaded());
    QVERIFY(bmi.IsLoaded());
}

void TestFrmGraph::closingTheFrameReopensNothing()
{
    Forms::get<frmGraph>().Show();
    Forms::get<frmMain>().window()->close();
    QVERIFY(!Forms::get<frmGraph>().IsLoaded());
    QVERIFY(!Forms::get<frmBmi>().IsLoaded());
}

// A missing file is met in the fault tests; here no patient is chosen: the
// statement is refused, not sent.
void TestFrmGraph::noPatientIsReportedAndShowsNoWindow()
{
    MsgBoxRecorder messages;
    Module1::CurrentPatientId.clear();
    Forms::get<frmGraph>().Show();
    QVERIFY(!Forms::get<frmGraph>().IsLoaded());
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages()[0].buttons, vbCritical);
}

// Beside the designed chart: the trend and the period from the menu and the
// keys, the points walked and heard, the period counted from the
// application's day.
void TestFrmGraph::trendPeriodAndPointsByMenuAndKeys()
{
    m_run.reset();
    m_run.emplace(true, QDate(2026, 12, 8));
    testfiles::addPatient(1, "Ali");
    choosePatient(1, "Ali");
    testfiles::addMeasurements({{1, 1, "01/01/26", 27.0, 1.0},
                                {2, 1, "24/11/26", 26.0, 1.0},
                                {4, 1, "08/12/26", 25.5, 1.0},
                                {3, 1, "01/12/26", 26.0, 1.0}});
    frmGraph &graph = Forms::get<frmGraph>();
    graph.Show();
    GraphLite &c = chart();
    auto heard = [&c] { return LastAnnouncement(&c); };
    QCOMPARE(c.shown().legend.size(), 3); // off when the window opens
    QVERIFY(c.shown().note.isEmpty());

    QTest::keyClick(&c, Qt::Key_T);
    QCOMPARE(c.shown().legend.size(), 4);
    QCOMPARE(c.shown().legend[3], qMakePair(QString("Trend"), QColor(64, 0, 128)));
    QCOMPARE(c.shown().points[3].size(), 4);
    QVERIFY2(c.shown().note.startsWith("Trend BMI 25."), qPrintable(c.shown().note));
    QVERIFY(c.accessibleDescription().endsWith(c.shown().note + '.'));
    QCOMPARE(heard(), "Trend shown. " + c.shown().note);

    QTest::keyClick(&c, Qt::Key_P);
    QCOMPARE(c.shown().labels, QStringList({"24/11", "01/12", "08/12"}));
    QCOMPARE(heard(), QString("Last 30 days: 3 measurements."));
    QCOMPARE(c.shown().markedPoint, -1);
    QTest::keyClick(&c, Qt::Key_End);
    QVERIFY2(heard().startsWith("08/12/26, BMI 25.5, trend 25."), qPrintable(heard()));
    QTest::keyClick(&c, Qt::Key_Left);
    QVERIFY2(heard().startsWith("01/12/26, BMI 26.0, trend "), qPrintable(heard()));
    QCOMPARE(c.shown().markedPoint, 1);
    QTest::keyClick(&c, Qt::Key_Home);
    QTest::keyClick(&c, Qt::Key_Left); // stays at the first
    QVERIFY2(heard().startsWith("24/11/26, BMI 26.0"), qPrintable(heard()));
    QCOMPARE(c.shown().markedPoint, 0);

    // Half a year on, nothing in the last 90 days: the reference lines and the words.
    Today::setSource([] { return QDate(2027, 6, 8); });
    QTest::keyClick(&c, Qt::Key_P);
    QCOMPARE(c.shown().labels.size(), 0);
    QCOMPARE(c.shown().message, QString("No measurements in the last 90 days"));
    QCOMPARE(heard(), QString("No measurements in the last 90 days."));

    // The menu (Shift+F10): the trend unchecked hides it, "All" shows all.
    // Items are picked by the keyboard, as a person does.
    auto choose = [&c](const QString &item, const QString &sub) {
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *a : menu->actions()) {
                if (!a->text().startsWith(sub.isEmpty() ? item : sub))
                    continue;
                menu->setActiveAction(a);
                if (sub.isEmpty()) {
                    QVERIFY(a->isCheckable());
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
                QTest::keyClick(menu, Qt::Key_Right);
                for (QAction *b : a->menu()->actions())
                    if (b->text() == item)
                        a->menu()->setActiveAction(b);
                QTest::keyClick(a->menu(), Qt::Key_Return);
                return;
            }
            menu->close();
        });
        QTest::keyClick(&c, Qt::Key_F10, Qt::ShiftModifier);
    };
    choose("Show trend", {});
    QCOMPARE(c.shown().legend.size(), 3);
    QCOMPARE(heard(), QString("Trend hidden."));
    choose("All", "Period");
    QCOMPARE(c.shown().labels.size(), 4);
    QVERIFY(c.shown().message.isEmpty());
}

MERIVEX_TEST_MAIN(TestFrmGraph)
#include "tst_frmgraph.moc"
