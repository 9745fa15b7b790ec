// Database faults met through the windows: each action that meets one
// reports it as a critical message with its number, stores nothing, keeps
// what the user typed, leaves the application running, and works again
// once the fault is gone.
#include "appdriver.h"
#include "controls.h"
#include "faults.h"
#include "patientfile.h"
#include "testapp.h"

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "classic/msgbox.h"
#include "db/errors.h"
#include "graph/frmGraph.h"
#include "graph/graphlite.h"
#include "patients/frmNew.h"
#include "patients/frmOpen.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include <optional>

using faults::Kind;
using namespace appdriver;

namespace
{

enum class Action { OpenNew, OpenList, BmiHistory, Register, Save, Graph };

// Each action's name and the user's step that takes it, in the order of Action.
const struct {
    const char *name;
    void (*step)();
} actions[] = {{"New", menuNew},         {"Open", menuOpen},
               {"BMI history", menuBmi}, {"Enter in New", clickEnter},
               {"Save", clickSave},      {"Graph", menuGraph}};

// A registration that needs new pages in the file: the page limit is met.
QString registeredName(Kind fault)
{
    return fault == Kind::DiskFullPages ? QStringLiteral("Siti ") + QString(2000, QLatin1Char('x'))
                                        : QStringLiteral("Siti");
}
const QString BirthDate = QStringLiteral("12/03/1985");

// The state the user is in just before the action: the window the action
// belongs to is open and filled in.
void prepare(Action action, Kind fault)
{
    if (action == Action::BmiHistory || action == Action::Save || action == Action::Graph) {
        menuOpen();
        selectPatient(1);
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("1"));
    }
    if (action == Action::Save) {
        menuBmi();
        typeMeasurement(QStringLiteral("1.70"), QStringLiteral("65"));
        clickCalculate();
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtBmi")->text(), QStringLiteral("22"));
    }
    if (action == Action::Register) {
        menuNew();
        fillRegistration(registeredName(fault), false, BirthDate);
    }
}

// After the failed action: nothing half-shown, the typed entries still there.
void checkLeftAsItWas(Action action, Kind fault)
{
    switch (action) {
    case Action::OpenNew:
        QVERIFY(!registration().IsLoaded());
        break;
    case Action::OpenList:
        QVERIFY(!patientList().IsLoaded());
        break;
    case Action::BmiHistory:
        QVERIFY(!bmiWindow().IsLoaded());
        break;
    case Action::Register: {
        QVERIFY(registration().IsLoaded());
        QCOMPARE(control<QLineEdit>(registration(), "txtNama")->text(), registeredName(fault));
        QCOMPARE(control<QLineEdit>(registration(), "txtTL")->text(), BirthDate);
        QVERIFY(control<QRadioButton>(registration(), "OptFemale")->isChecked());
        QVERIFY(Module1::CurrentPatientId.isEmpty());
        QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo - No User"));
        break;
    }
    case Action::Save: {
        QVERIFY(bmiWindow().IsLoaded());
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtHeight")->text(), QStringLiteral("1.70"));
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtweight")->text(), QStringLiteral("65"));
        QCOMPARE(control<QLineEdit>(bmiWindow(), "txtBmi")->text(), QStringLiteral("22"));
        QVERIFY(control<QPushButton>(bmiWindow(), "cmdSave")->isEnabled());
        QVERIFY(!Forms::get<frmGraph>().IsLoaded());
        break;
    }
    case Action::Graph:
        QVERIFY(!Forms::get<frmGraph>().IsLoaded());
        break;
    }
}

// After the repeated action: it did what it does.
void checkDone(Action action, Kind fault)
{
    switch (action) {
    case Action::OpenNew:
        QVERIFY(registration().IsLoaded());
        break;
    case Action::OpenList:
        QVERIFY(patientList().IsLoaded());
        QCOMPARE(control<FlexGrid>(patientList(), "MSFlexGrid1")->Rows(), 3);
        QCOMPARE(control<FlexGrid>(patientList(), "MSFlexGrid1")->TextMatrix(1, 1),
                 QStringLiteral("Ali"));
        break;
    case Action::BmiHistory:
        QVERIFY(bmiWindow().IsLoaded());
        QCOMPARE(control<FlexGrid>(bmiWindow(), "MSFlexGrid1")->Rows(), 3);
        QCOMPARE(control<FlexGrid>(bmiWindow(), "MSFlexGrid1")->TextMatrix(1, 1),
                 QStringLiteral("01/12/26"));
        break;
    case Action::Register:
        QVERIFY(!registration().IsLoaded());
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("2"));
        QCOMPARE(Module1::CurrentUserName, registeredName(fault));
        break;
    case Action::Save:
        QVERIFY(!control<QPushButton>(bmiWindow(), "cmdSave")->isEnabled());
        QVERIFY(Forms::get<frmGraph>().IsLoaded());
        break;
    case Action::Graph:
        QVERIFY(Forms::get<frmGraph>().IsLoaded());
        QCOMPARE(Forms::get<frmGraph>()
                     .client()
                     ->findChild<GraphLite *>("GraphLite1")
                     ->shown()
                     .labels.value(0),
                 QStringLiteral("01/12"));
        break;
    }
}

// The rows stored, patients and measurements.
QList<qsizetype> counts()
{
    return {testfiles::patients().size(), testfiles::measurements().size()};
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Action)

class TestDbFaults : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init()
    {
        m_run.emplace(true, QDate(2026, 12, 6));
        // Ali (id 1) with one measurement.
        testfiles::addPatient(1, QStringLiteral("Ali"));
        testfiles::addMeasurements({{1, 1, QStringLiteral("01/12/26"), 65.0, 1.7}});
    }
    void cleanup()
    {
        m_run.reset();
        QFile::remove(testapp::databaseFile() + QStringLiteral(".aside"));
    }

    void faultMetByAnAction_data();
    void faultMetByAnAction();
};

void TestDbFaults::faultMetByAnAction_data()
{
    QTest::addColumn<Kind>("fault");
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("number");

    namespace N = merivex::ErrorNumber;
    // Every window that opens the file meets the missing file and the other
    // process; the other faults at opening are met alike, so each is tried
    // on two of them.
    const QList<Action> opening{Action::OpenNew, Action::OpenList, Action::Graph, Action::Save};
    const struct {
        Kind fault;
        QList<Action> actions;
        int number;
    } table[] = {
        {Kind::Missing, opening, N::FileNotFound},
        {Kind::WrongPassword, {Action::OpenNew, Action::Save}, N::InvalidPassword},
        {Kind::RandomBytes, {Action::OpenList, Action::Graph}, N::CannotOpen},
        {Kind::TextFile, {Action::OpenNew, Action::Save}, N::CannotOpen},
        // Page 1 is whole, so the file opens; the first read beyond it fails,
        // also on a connection opened before the cut.
        {Kind::Truncated,
         {Action::OpenList, Action::BmiHistory, Action::Register, Action::Graph, Action::Save},
         N::CannotOpen},
        {Kind::HeldByOther, opening, N::FileInUse},
        {Kind::DiskFullPages, {Action::Register}, N::DiskFull},
        // A write past the size limit fails as a write error, not as a full disk.
        {Kind::DiskFullFileSize, {Action::Register, Action::Save}, N::DiskIoError},
        {Kind::Directory, {Action::OpenList, Action::Save}, N::CannotOpen},
        // A folder in the log's place is refused as no regular file.
        {Kind::JournalBlocked, {Action::OpenNew, Action::Graph, Action::Save}, N::NoPermission},
        // The open connection could still write, but into a file no longer
        // in the folder; Save opens the path anew and finds nothing.
        {Kind::MovedAway, {Action::Register}, N::DiskIoError},
        {Kind::MovedAway, {Action::Save}, N::FileNotFound},
    };
    for (const auto &row : table) {
        for (Action action : row.actions)
            QTest::addRow("%s, %s", faults::name(row.fault), actions[int(action)].name)
                << row.fault << action << row.number;
    }
}

void TestDbFaults::faultMetByAnAction()
{
    QFETCH(Kind, fault);
    QFETCH(Action, action);
    QFETCH(int, number);

    MsgBoxRecorder messages;
    prepare(action, fault);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(messages.messages().size(), 0);

    std::optional<faults::Fault> injected;
    injected.emplace(fault);
    actions[int(action)].step();

    QCOMPARE(messages.messages().size(), 1);
    const ShownMessage shown = messages.messages().first();
    QCOMPARE(shown.buttons, vbCritical);
    QCOMPARE(shown.title, AppTitle());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Run-time error '(\\d+)':\n\n(\\S.*)$"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(shown.prompt);
    QVERIFY2(match.hasMatch(), qPrintable(shown.prompt));
    QCOMPARE(match.captured(1).toInt(), number);
    checkLeftAsItWas(action, fault);
    QCOMPARE(m_run->endCount(), 0);

    // The rest of the application still answers.
    QVERIFY(Forms::get<frmMain>().IsLoaded());
    menuAbout();
    QVERIFY(Forms::get<frmAbout>().IsLoaded());
    Forms::get<frmAbout>().Unload();

    injected.reset();
    QCOMPARE(counts(), QList<qsizetype>({1, 1}));

    messages.clear();
    actions[int(action)].step();
    QCOMPARE(messages.prompts(), QStringList());
    checkDone(action, fault);
    QCOMPARE(counts(),
             QList<qsizetype>({1 + (action == Action::Register), 1 + (action == Action::Save)}));
    QCOMPARE(m_run->endCount(), 0);

    // No connection outlives the failure: once the application lets go of
    // its own, the last one closes and takes the log with it.
    Module1::Reset();
    QVERIFY(!QFile::exists(testapp::databaseFile() + QStringLiteral("-wal")));
}

MERIVEX_TEST_MAIN(TestDbFaults)
#include "tst_db_faults.moc"
