// The frame, its commands, and the window mechanism every window relies on.
#include "controls.h"
#include "testapp.h"

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "app/workspace.h"
#include "classic/forms.h"
#include "db/errors.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QtTest>

namespace
{

// A window with a plain client, counting the events it receives.
class CountingForm : public Form
{
public:
    int loads = 0, resizes = 0, unloads = 0, terminates = 0;
    bool cancelUnload = false;
    bool failLoad = false;
    std::function<void()> onUnload;

protected:
    std::unique_ptr<QWidget> build() override
    {
        auto w = std::make_unique<QWidget>();
        w->resize(200, 100);
        w->setWindowTitle("Counting");
        return w;
    }
    void teardown() override {}
    void Form_Load() override
    {
        ++loads;
        if (failLoad)
            throw merivex::Error(merivex::ErrorNumber::FileNotFound, "Could not find file");
    }
    void Form_Resize() override { ++resizes; }
    void Form_Unload(int &cancel) override
    {
        ++unloads;
        if (cancelUnload)
            cancel = 1;
        if (onUnload)
            onUnload();
    }
    void Form_Terminate() override { ++terminates; }
};

class OtherForm : public CountingForm
{
};

// The frames of the registration and BMI windows.
class FixedForm : public CountingForm
{
protected:
    std::unique_ptr<QWidget> build() override
    {
        std::unique_ptr<QWidget> w = CountingForm::build();
        w->setProperty("BorderStyle", "FixedSingle");
        w->setProperty("MaxButton", false);
        return w;
    }
};

class MaximizedForm : public CountingForm
{
protected:
    std::unique_ptr<QWidget> build() override
    {
        std::unique_ptr<QWidget> w = CountingForm::build();
        w->setProperty("WindowState", "Maximized");
        return w;
    }
};

QRect twips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                 qRound(height / 15.0));
}

} // namespace

class ShellTest : public QObject
{
    Q_OBJECT
    std::optional<testapp::Session> m_session;
    int ends() const { return m_session->endCount(); }

private slots:
    void init() { m_session.emplace(); }
    void cleanup() { m_session.reset(); }

    void startsWithNoPatientInTheCaption()
    {
        QCOMPARE(QApplication::applicationName(), QString("MerivexDemo"));
        QCOMPARE(QApplication::applicationVersion(), QString("1.00"));
        QCOMPARE(Module1::CurrentUserName, QString(" - No User"));
        QVERIFY(Module1::CurrentPatientId.isEmpty());
        QVERIFY(!Module1::BmiWindowLoaded);
        frmMain &main = Forms::get<frmMain>();
        QVERIFY(main.IsLoaded());
        QCOMPARE(main.Caption(), QString("Merivex Demo - No User"));
        QVERIFY(main.mainWindow()->isMaximized() || main.mainWindow()->isVisible());
    }

    void menusHoldTheirItemsInOrder()
    {
        const frmMain &frame = Forms::get<frmMain>();
        auto texts = [](QMenu *menu) {
            QStringList list;
            for (QAction *a : menu->actions())
                list << (a->isSeparator() ? QString("-") : a->text());
            return list;
        };
        QCOMPARE(texts(control<QMenu>(frame, "mnuFail")),
                 QStringList({"New", "Open", "-", "Exit"}));
        QCOMPARE(texts(control<QMenu>(frame, "mnuMerivex")), QStringList({"BMI", "-", "Graph"}));
        QCOMPARE(texts(control<QMenu>(frame, "mnuHelp")), QStringList({"About"}));
        QStringList bar;
        for (QAction *a : control<QMenuBar>(frame, "menubar")->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"File", "Merivex", "Help"}));
    }

    void graphRefusesWithoutPatient_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("start-up marker") << QString(" - No User") << true;
        QTest::newRow("a patient") << QString("Ann") << false;
        QTest::newRow("marker without leading blank") << QString("- No User") << false;
        QTest::newRow("marker in other case") << QString(" - no user") << false;
    }
    void graphRefusesWithoutPatient()
    {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        Module1::CurrentUserName = name;
        frmMain &main = Forms::get<frmMain>();
        for (auto command : {&frmMain::mnuGraf_Click, &frmMain::ArahanGraf_Click}) {
            MsgBoxRecorder rec;
            (main.*command)();
            if (refused) {
                QCOMPARE(rec.messages().size(), 1);
                QCOMPARE(rec.messages()[0].prompt, QString("No User Selected - No Graph"));
                QCOMPARE(rec.messages()[0].buttons, vbCritical);
                QCOMPARE(rec.messages()[0].title, QString("MerivexDemo"));
            } else {
                QVERIFY(!rec.prompts().contains("No User Selected - No Graph"));
            }
        }
    }

    void menuAndToolbarRunTheSameCommand()
    {
        const frmMain &frame = Forms::get<frmMain>();
        {
            MsgBoxRecorder rec;
            control<QAction>(frame, "mnuGraf")->trigger();
            QTest::mouseClick(control<QToolButton>(frame, "ArahanGraf"), Qt::LeftButton);
            QCOMPARE(rec.prompts(),
                     QStringList({"No User Selected - No Graph", "No User Selected - No Graph"}));
        }
        control<QAction>(frame, "mnuKeluar")->trigger();
        QCOMPARE(ends(), 1);
        QTest::mouseClick(control<QToolButton>(frame, "ArahanKeluar"), Qt::LeftButton);
        QCOMPARE(ends(), 2);
        QVERIFY(frame.IsLoaded()); // Exit runs no closing logic
    }

    void toolbarButtonsSitWhereTheLayoutPutsThem()
    {
        const frmMain &frame = Forms::get<frmMain>();
        QCOMPARE(control<QToolButton>(frame, "Arahanbaru")->geometry(), twips(0, 0, 1050, 800));
        QCOMPARE(control<QToolButton>(frame, "ArahanBuka")->geometry(), twips(1009, 0, 1050, 800));
        QCOMPARE(control<QToolButton>(frame, "ArahanBmi")->geometry(), twips(2040, 0, 1095, 800));
        QCOMPARE(control<QToolButton>(frame, "ArahanGraf")->geometry(), twips(3120, 0, 1050, 800));
        QCOMPARE(control<QToolButton>(frame, "ArahanKeluar")->geometry(),
                 twips(4150, 0, 1050, 800));
        QCOMPARE(control<QWidget>(frame, "Picture1")->height(), 57);
        QCOMPARE(control<QWidget>(frame, "Picture1")->width(),
                 control<QWidget>(frame, "centralwidget")->width());
        QStringList captions;
        for (QToolButton *b :
             {control<QToolButton>(frame, "Arahanbaru"), control<QToolButton>(frame, "ArahanBuka"),
              control<QToolButton>(frame, "ArahanBmi"), control<QToolButton>(frame, "ArahanGraf"),
              control<QToolButton>(frame, "ArahanKeluar")}) {
            captions << b->text();
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        }
        QCOMPARE(captions, QStringList({"New", "Open", "BMI", "Graph", "Exit"}));
        // The later buttons overlap the earlier ones, Exit in front.
        const QObjectList order = control<QWidget>(frame, "Picture1")->children();
        QVERIFY(order.indexOf(control<QToolButton>(frame, "ArahanKeluar")) >
                order.indexOf(control<QToolButton>(frame, "ArahanGraf")));
        QVERIFY(order.indexOf(control<QToolButton>(frame, "ArahanBuka")) >
                order.indexOf(control<QToolButton>(frame, "Arahanbaru")));
    }

    void restoredFrameHasTheDesignedClientArea()
    {
        QMainWindow *frame = Forms::get<frmMain>().mainWindow();
        frame->showNormal();
        frame->resize(frame->width(), frame->height()); // keep designer size
        QCOMPARE(frame->centralWidget()->size(), QSize(374, 368));
        frame->resize(300, 400);
        QCOMPARE(control<QToolButton>(Forms::get<frmMain>(), "Arahanbaru")->geometry(),
                 twips(0, 0, 1050, 800));
        QCOMPARE(control<QWidget>(Forms::get<frmMain>(), "Picture1")->width(), 300);
    }

    void showingALoadedWindowOnlyRaisesIt()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.Show();
        QCOMPARE(form.loads, 1);
        QVERIFY(form.window()->isVisible());
        QCOMPARE(form.window()->pos(), QPoint(0, 0));
        QCOMPARE(form.client()->size(), QSize(200, 100)); // the designed client area
        QWidget *first = form.client();
        form.Show();
        QCOMPARE(form.loads, 1);
        QCOMPARE(form.client(), first);
        QCOMPARE(&Forms::get<CountingForm>(), &form);
    }

    void unloadThenShowLoadsAfresh()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.Show();
        form.client()->setWindowTitle("changed at run time");
        form.Unload();
        QVERIFY(!form.IsLoaded());
        QCOMPARE(form.unloads, 1);
        form.Show();
        QCOMPARE(form.loads, 2);
        QCOMPARE(form.Caption(), QString("Counting"));
    }

    // The window unloaded a moment ago is deleted later; its going must not
    // take the focus from the one shown after it.
    void windowShownAfterAnUnloadStaysActive()
    {
        CountingForm &form = Forms::get<CountingForm>();
        OtherForm &other = Forms::get<OtherForm>();
        other.Show();
        form.Show();
        form.Unload();
        form.Show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        auto *sub = qobject_cast<QMdiSubWindow *>(form.window());
        QVERIFY(sub);
        QCOMPARE(sub->mdiArea()->activeSubWindow(), sub);
        QCOMPARE(sub->mdiArea()->subWindowList().size(), 2);
    }

    // The workspace maximizes a child that becomes active while the active one
    // is maximized; a fixed child is spared, however it becomes active.
    void fixedChildIsNeverMaximized()
    {
        MaximizedForm &large = Forms::get<MaximizedForm>();
        FixedForm &fixed = Forms::get<FixedForm>();
        large.Show();
        QVERIFY(large.window()->isMaximized());
        fixed.Show();
        auto *sub = qobject_cast<QMdiSubWindow *>(fixed.window());
        QMdiArea *workspace = sub->mdiArea();
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(workspace->activeSubWindow(), sub);
            QVERIFY(!sub->isMaximized());
            QCOMPARE(sub->pos(), QPoint(0, 0));
            QCOMPARE(fixed.client()->size(), QSize(200, 100));
            QVERIFY(large.window()->isMaximized()); // left as it was, behind
            workspace->activateNextSubWindow();
            QCOMPARE(workspace->activeSubWindow(), large.window());
            workspace->activatePreviousSubWindow();
        }
        // A sizable child still takes over the maximized state.
        Forms::get<OtherForm>().Show();
        QVERIFY(Forms::get<OtherForm>().window()->isMaximized());
        QVERIFY(!sub->isMaximized());
    }

    void closeBoxUnloadsUnlessCancelled()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.Show();
        form.cancelUnload = true;
        form.window()->close();
        QVERIFY(form.IsLoaded());
        form.cancelUnload = false;
        form.window()->close();
        QVERIFY(!form.IsLoaded());
        QCOMPARE(form.unloads, 2);
    }

    void resizeReachesTheWindow()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.Show();
        QApplication::processEvents();
        const int before = form.resizes;
        QVERIFY(before >= 1); // the first display counts as a resize
        form.window()->resize(form.window()->size() + QSize(30, 20));
        QApplication::processEvents();
        QCOMPARE(form.resizes, before + 1);
        QCOMPARE(form.ScaleWidth(), form.client()->width() * 15.0);
    }

    void failingLoadIsReportedAndShowsNothing()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.failLoad = true;
        MsgBoxRecorder rec;
        form.Show();
        QVERIFY(!form.IsLoaded());
        QCOMPARE(rec.messages().size(), 1);
        QCOMPARE(rec.messages()[0].buttons, vbCritical);
        QVERIFY(rec.messages()[0].prompt.contains("3024"));
        QVERIFY(rec.messages()[0].prompt.contains("Could not find file"));
        QVERIFY(Forms::get<frmMain>().IsLoaded()); // the application keeps running
        form.failLoad = false;
        form.Show();
        QVERIFY(form.IsLoaded());
    }

    void closingTheFrameClosesChildrenAndReopensNothing()
    {
        CountingForm &form = Forms::get<CountingForm>();
        OtherForm &other = Forms::get<OtherForm>();
        form.Show();
        // Like the graph window, whose closing shows another window.
        form.onUnload = [&] { other.Show(); };
        Forms::get<frmMain>().window()->close();
        QVERIFY(!form.IsLoaded());
        QVERIFY(!other.IsLoaded());
        QVERIFY(!Forms::get<frmMain>().IsLoaded());
        QCoreApplication::processEvents();
        QCOMPARE(ends(), 1); // nothing else left open: the run ends
    }

    void theRunOutlivesTheFrameWhileTheAboutBoxIsOpen()
    {
        Forms::get<frmMain>().mnuAbout_Click();
        Forms::get<frmMain>().window()->close();
        QCoreApplication::processEvents();
        QCOMPARE(ends(), 0);
        QVERIFY(Forms::get<frmAbout>().IsLoaded());
        Forms::get<frmAbout>().cmdOK_Click();
        QCoreApplication::processEvents();
        QCOMPARE(ends(), 1);
    }

    void terminateRaisesItsEvent()
    {
        CountingForm &form = Forms::get<CountingForm>();
        form.Show();
        form.Terminate();
        QVERIFY(!form.IsLoaded());
        QCOMPARE(form.terminates, 1);
        QCOMPARE(form.unloads, 0);
    }

    void workspaceIsWhite()
    {
        Workspace *ws = Forms::get<frmMain>().workspace();
        QCOMPARE(ws->background().color(), QColor(Qt::white));
    }
};

MERIVEX_TEST_MAIN(ShellTest)

#include "tst_shell.moc"
