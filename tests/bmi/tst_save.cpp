// Saving a measurement from the BMI window: what is stored, which id it
// gets, and what the window and the graph do afterwards.
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "controls.h"
#include "db/backups.h"
#include "db/display_text.h"
#include "db/today.h"
#include "graph/frmGraph.h"
#include "graph/graphlite.h"
#include "patientfile.h"
#include "testapp.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace
{
// Ali's BMI window open, 1.70 m and 65 kg typed and calculated.
frmBmi &calculatedForAli(const QString &height = "1.70", const QString &weight = "65")
{
    Module1::CurrentPatientId = "1";
    Module1::CurrentUserName = "Ali";
    testapp::openPatientDatabase();
    frmBmi &bmi = Forms::get<frmBmi>();
    bmi.Show();
    control<QLineEdit>(bmi, "txtHeight")->setText(height);
    control<QLineEdit>(bmi, "txtweight")->setText(weight);
    bmi.cmdCalculate_Click();
    return bmi;
}

// As the user does it: through the button, so that a failure is reported.
void clickSave(frmBmi &bmi)
{
    QVERIFY(control<QPushButton>(bmi, "cmdSave")->isEnabled());
    control<QPushButton>(bmi, "cmdSave")->click();
}

GraphLite &chart()
{
    return *Forms::get<frmGraph>().client()->findChild<GraphLite *>("GraphLite1");
}
} // namespace

class TestSave : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init()
    {
        m_run.emplace(true, QDate(2026, 12, 6));
        testfiles::addPatient(1, "Ali");
    }
    void cleanup() { m_run.reset(); }

    void storesTodaysMeasurementRefillsTheGridAndOpensTheGraph();
    void nextIdFollowsTheLastRecordOfAnyPatient();
    void storesWhatTheBoxesHoldAtSave();
};

void TestSave::storesTodaysMeasurementRefillsTheGridAndOpensTheGraph()
{
    MsgBoxRecorder messages;
    frmBmi &bmi = calculatedForAli();
    clickSave(bmi);
    QVERIFY(messages.prompts().isEmpty());
    // The day's first save copies the file first, as it was before.
    const QList<merivex::AutomaticBackup> backups =
        merivex::automaticBackups(testapp::databaseFile());
    QCOMPARE(backups.size(), 1);
    QCOMPARE(backups[0].change, QStringLiteral("save"));
    QVERIFY(testfiles::readAll(*testfiles::open(backups[0].path),
                               QStringLiteral("SELECT * FROM BMIHistory"))
                .isEmpty());

    const QList<testfiles::Measurement> rows = testfiles::measurements();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].idBmi.toInt(), 1);
    QCOMPARE(merivex::displayText(rows[0].idPt), QString("1"));
    QCOMPARE(merivex::displayText(rows[0].date), QString("06/12/26"));
    // Numbers, not the typed texts.
    QCOMPARE(rows[0].weight.typeId(), QMetaType::Double);
    QCOMPARE(rows[0].weight.toDouble(), 65.0);
    QCOMPARE(rows[0].height.toDouble(), 1.7);

    // Save waits for the next calculation.
    QVERIFY(!control<QPushButton>(bmi, "cmdSave")->isEnabled());
    QCOMPARE(control<FlexGrid>(bmi, "MSFlexGrid1")->Rows(), 3);
    QVERIFY(Forms::get<frmGraph>().IsLoaded());
    QCOMPARE(chart().shown().labels[0], QString("06/12"));
    QCOMPARE(chart().shown().points[2][0].y(), 65 / (1.7 * 1.7));
    // The BMI window stays open under it.
    QVERIFY(bmi.IsLoaded());
    bmi.cmdCalculate_Click();
    QVERIFY(control<QPushButton>(bmi, "cmdSave")->isEnabled());
}

void TestSave::nextIdFollowsTheLastRecordOfAnyPatient()
{
    testfiles::addPatient(2, "Siti");
    testfiles::addMeasurements({{7, 2, "01/12/26", 70.0, 1.6}});
    clickSave(calculatedForAli());
    const QList<testfiles::Measurement> rows = testfiles::measurements();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].idBmi.toInt(), 8);
    QCOMPARE(merivex::displayText(rows[1].idPt), QString("1"));
}

void TestSave::storesWhatTheBoxesHoldAtSave()
{
    frmBmi &bmi = calculatedForAli();
    QCOMPARE(control<QLineEdit>(bmi, "txtBmi")->text(), QString("22"));
    control<QLineEdit>(bmi, "txtHeight")->setText("1.80");
    clickSave(bmi);
    QCOMPARE(control<QLineEdit>(bmi, "txtBmi")->text(), QString("22"));
    QCOMPARE(testfiles::measurements()[0].height.toDouble(), 1.8);
}

MERIVEX_TEST_MAIN(TestSave)
#include "tst_save.moc"
