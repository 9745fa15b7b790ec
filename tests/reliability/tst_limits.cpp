// The 16-bit ids at their end, through the windows: with 32,766 patients
// and measurements the window stores number 32,767; the next is refused
// with the overflow error and stores nothing; the list, the history and the
// graph show all 32,767.
#include "appdriver.h"
#include "controls.h"
#include "patientfile.h"
#include "testapp.h"

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
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace appdriver;

namespace
{
constexpr int LastId = 32767;
const QString OverflowMessage = QStringLiteral("Run-time error '6':\n\nOverflow");
} // namespace

class TestLimits : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init() { m_run.emplace(false); }
    void cleanup() { m_run.reset(); }

    void patientsUpToTheLastId();
    void measurementsUpToTheLastId();
};

void TestLimits::patientsUpToTheLastId()
{
    testapp::FreshDatabase file;
    testfiles::addManyPatients(LastId - 1);
    testapp::Session session;
    MsgBoxRecorder messages;

    menuNew();
    fillRegistration(QStringLiteral("Last One"), false, QStringLiteral("01/01/1990"));
    clickEnter();
    QCOMPARE(messages.prompts(), QStringList());
    QCOMPARE(Module1::CurrentPatientId, QString::number(LastId));

    menuNew();
    fillRegistration(QStringLiteral("One Too Many"), true, QStringLiteral("02/02/1990"));
    clickEnter();
    QCOMPARE(messages.prompts(), QStringList({OverflowMessage}));
    QCOMPARE(messages.messages()[0].buttons, vbCritical);
    QCOMPARE(session.endCount(), 0);
    QVERIFY(registration().IsLoaded());
    QCOMPARE(control<QLineEdit>(registration(), "txtNama")->text(), QStringLiteral("One Too Many"));
    QCOMPARE(Module1::CurrentPatientId, QString::number(LastId));
    QCOMPARE(Module1::CurrentUserName, QStringLiteral("Last One"));
    QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo -Last One"));
    // The window is still usable: Cancel closes it as ever.
    QTest::mouseClick(control<QPushButton>(registration(), "cmdCancel"), Qt::LeftButton);
    QVERIFY(!registration().IsLoaded());

    const QList<testfiles::Patient> stored = testfiles::patients();
    QCOMPARE(stored.size(), LastId);
    QCOMPARE(stored.last().id.toInt(), LastId);
    QCOMPARE(stored.last().name.toString(), QStringLiteral("Last One"));

    messages.clear();
    menuOpen();
    QCOMPARE(messages.prompts(), QStringList());
    FlexGrid *grid = control<FlexGrid>(patientList(), "MSFlexGrid1");
    // The first part only, until the view asks for the rest by scrolling.
    QVERIFY(grid->Rows() < LastId / 10);
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    for (int parts = 0; grid->model()->canFetchMore({}) && parts < LastId; ++parts) {
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
    }
    QCOMPARE(grid->Rows(), LastId + 2);
    QCOMPARE(grid->TextMatrix(1, 1), QStringLiteral("Patient 1"));
    QCOMPARE(grid->TextMatrix(LastId, 0), QString::number(LastId));
    QCOMPARE(grid->TextMatrix(LastId, 1), QStringLiteral("Last One"));
    QVERIFY(grid->TextMatrix(LastId + 1, 0).isEmpty());
    QVERIFY(grid->TextMatrix(LastId + 1, 1).isEmpty());

    // The last row can be chosen like any other.
    selectPatient(LastId);
    QCOMPARE(Module1::CurrentPatientId, QString::number(LastId));
    QCOMPARE(Module1::CurrentUserName, QStringLiteral("Last One"));
}

void TestLimits::measurementsUpToTheLastId()
{
    testapp::FreshDatabase file;
    testfiles::addPatient(1, QStringLiteral("Ali"));
    testfiles::addManyMeasurements(1, LastId - 1);
    Module1::PatientDatabase.reset();
    testapp::Session session;
    MsgBoxRecorder messages;

    menuOpen();
    selectPatient(1);
    menuBmi();
    QCOMPARE(control<FlexGrid>(bmiWindow(), "MSFlexGrid1")->Rows(), LastId - 1 + 2);
    typeMeasurement(QStringLiteral("1.70"), QStringLiteral("65"));
    clickCalculate();
    clickSave();
    QCOMPARE(messages.prompts(), QStringList());

    // The history and the graph of 32,767 measurements.
    FlexGrid *grid = control<FlexGrid>(bmiWindow(), "MSFlexGrid1");
    QCOMPARE(grid->Rows(), LastId + 2);
    QCOMPARE(grid->TextMatrix(LastId, 0), QString::number(LastId));
    QVERIFY(grid->TextMatrix(LastId + 1, 1).isEmpty());
    QVERIFY(Forms::get<frmGraph>().IsLoaded());
    QCOMPARE(Forms::get<frmGraph>()
                 .client()
                 ->findChild<GraphLite *>("GraphLite1")
                 ->shown()
                 .points[2]
                 .size(),
             LastId);

    const QList<testfiles::Measurement> before = testfiles::measurements();
    QCOMPARE(before.size(), LastId);
    QCOMPARE(before.last().idBmi.toInt(), LastId);
    QCOMPARE(before.last().height.toDouble(), 1.7);

    typeMeasurement(QStringLiteral("1.80"), QStringLiteral("70"));
    clickCalculate();
    clickSave();
    QCOMPARE(messages.prompts(), QStringList({OverflowMessage}));
    QCOMPARE(messages.messages()[0].buttons, vbCritical);
    QCOMPARE(session.endCount(), 0);
    QCOMPARE(control<QLineEdit>(bmiWindow(), "txtHeight")->text(), QStringLiteral("1.80"));
    QVERIFY(control<QPushButton>(bmiWindow(), "cmdSave")->isEnabled());
    QCOMPARE(testfiles::measurements().size(), LastId);
}

MERIVEX_TEST_MAIN(TestLimits)
#include "tst_limits.moc"
