// Saving a measurement from the BMI window: what is stored, which id it
// gets, and what the window and the graph do afterwards.
#include "app/forms.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "bmi/today.h"
#include "graph/frmGraph.h"
#include "patientfile.h"
#include "testapp.h"

#include <QFile>
#include <QLocale>
#include <QtTest>

namespace
{
frmBmi &openBmiWindow(int patient, const QString &name)
{
    Module1::CurrentPatientId = QString::number(patient);
    Module1::CurrentUserName = name;
    testapp::openPatientDatabase();
    frmBmi &bmi = Forms::get<frmBmi>();
    bmi.Show();
    return bmi;
}

void type(frmBmi &bmi, const QString &height, const QString &weight)
{
    bmi.ui().txtHeight->setText(height);
    bmi.ui().txtweight->setText(weight);
}

// As the user does it: through the button, so that a failure is reported.
void clickSave(frmBmi &bmi)
{
    QVERIFY(bmi.ui().cmdSave->isEnabled());
    bmi.ui().cmdSave->click();
}

GraphLite &chart()
{
    return *Forms::get<frmGraph>().ui().GraphLite1;
}
} // namespace

class TestSave : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init() { m_run.emplace(false, QDate(2026, 12, 6)); }
    void cleanup() { m_run.reset(); }

    void storesTheMeasurementWithTodaysDate();
    void nextIdFollowsTheLastRecordOfAnyPatient();
    void storesWhatTheBoxesHoldAtSave();
    void saveDisabledUntilTheNextCalculation();
    void refillsTheGridAndOpensTheGraph();
    void openGraphIsOnlyRaisedBySaving();
    void rejectsWhatCalculateRejects_data();
    void rejectsWhatCalculateRejects();
    void failureIsReportedAndNothingStored();
    void lastIdOverflowsWithoutStoring();
};

void TestSave::storesTheMeasurementWithTodaysDate()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    MsgBoxRecorder messages;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    QVERIFY(messages.prompts().isEmpty());

    const QList<testfiles::Measurement> rows = testfiles::measurements();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].idBmi.toInt(), 1);
    QCOMPARE(merivex::displayText(rows[0].idPt), QString("1"));
    QCOMPARE(merivex::displayText(rows[0].date), QString("06/12/26"));
    // Numbers, not the typed texts.
    QCOMPARE(rows[0].weight.typeId(), QMetaType::Double);
    QCOMPARE(rows[0].weight.toDouble(), 65.0);
    QCOMPARE(rows[0].height.toDouble(), 1.7);
}

void TestSave::nextIdFollowsTheLastRecordOfAnyPatient()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    testfiles::addPatient(2, "Siti");
    testfiles::addMeasurements({{7, 2, "01/12/26", 70.0, 1.6}});
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    const QList<testfiles::Measurement> rows = testfiles::measurements();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].idBmi.toInt(), 8);
    QCOMPARE(merivex::displayText(rows[1].idPt), QString("1"));
}

void TestSave::storesWhatTheBoxesHoldAtSave()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    QCOMPARE(bmi.ui().txtBmi->text(), QString("22"));
    bmi.ui().txtHeight->setText("1.80");
    clickSave(bmi);
    QCOMPARE(bmi.ui().txtBmi->text(), QString("22"));
    QCOMPARE(testfiles::measurements()[0].height.toDouble(), 1.8);
}

void TestSave::saveDisabledUntilTheNextCalculation()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    QVERIFY(!bmi.ui().cmdSave->isEnabled());
    bmi.cmdCalculate_Click();
    QVERIFY(bmi.ui().cmdSave->isEnabled());
}

void TestSave::refillsTheGridAndOpensTheGraph()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    QCOMPARE(bmi.ui().MSFlexGrid1->Rows(), 3);
    QVERIFY(Forms::get<frmGraph>().IsLoaded());
    QCOMPARE(chart().labels()[0], QString("06/12"));
    QCOMPARE(chart().seriesPoints(2)[0].y(), 65 / (1.7 * 1.7));
    // The BMI window stays open under it.
    QVERIFY(bmi.IsLoaded());
}

void TestSave::openGraphIsOnlyRaisedBySaving()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    type(bmi, "1.70", "70");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    QCOMPARE(testfiles::measurements().size(), 2);
    QCOMPARE(chart().seriesPoints(2).size(), 1);

    Forms::get<frmGraph>().Unload();
    Forms::get<frmGraph>().Show();
    QCOMPARE(chart().seriesPoints(2).size(), 2);
}

void TestSave::rejectsWhatCalculateRejects_data()
{
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("weight");
    QTest::newRow("empty height") << ""
                                  << "65";
    QTest::newRow("zero height") << "0.0"
                                 << "65";
    QTest::newRow("empty weight") << "1.70"
                                  << "";
    QTest::newRow("zero weight") << "1.70"
                                 << "00";
    QTest::newRow("not a number") << "1.70"
                                  << "sixty";
}

void TestSave::rejectsWhatCalculateRejects()
{
    QFETCH(QString, height);
    QFETCH(QString, weight);
    testapp::FreshDatabase file;
    testapp::Session session;
    MsgBoxRecorder messages;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, height, weight);
    bmi.cmdCalculate_Click(); // rejected, yet Save is enabled
    messages.clear();
    clickSave(bmi);
    QCOMPARE(messages.prompts(), QStringList({"Please enter your weight please ..."}));
    QCOMPARE(messages.messages()[0].buttons, vbOKOnly);
    QVERIFY(testfiles::measurements().isEmpty());
    QVERIFY(bmi.ui().cmdSave->isEnabled());
    QVERIFY(!Forms::get<frmGraph>().IsLoaded());
}

void TestSave::failureIsReportedAndNothingStored()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    MsgBoxRecorder messages;
    testfiles::addPatient(1, "Ali");
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    Module1::PatientDatabase.reset();
    Module1::PatientRecordset.reset();
    QVERIFY(QFile::remove(testapp::databaseFile()));

    clickSave(bmi);
    QCOMPARE(messages.messages().size(), 1);
    QCOMPARE(messages.messages()[0].buttons, vbCritical);
    QVERIFY(bmi.ui().cmdSave->isEnabled());
    QCOMPARE(bmi.ui().txtHeight->text(), QString("1.70"));
    QCOMPARE(bmi.ui().txtweight->text(), QString("65"));
    QVERIFY(!Forms::get<frmGraph>().IsLoaded());
}

void TestSave::lastIdOverflowsWithoutStoring()
{
    testapp::FreshDatabase file;
    testapp::Session session;
    MsgBoxRecorder messages;
    testfiles::addPatient(1, "Ali");
    testfiles::addMeasurements({{32767, 1, "01/12/26", 70.0, 1.6}});
    frmBmi &bmi = openBmiWindow(1, "Ali");
    type(bmi, "1.70", "65");
    bmi.cmdCalculate_Click();
    clickSave(bmi);
    QCOMPARE(messages.messages().size(), 1);
    QVERIFY(messages.prompts()[0].startsWith("Run-time error '6'"));
    QCOMPARE(testfiles::measurements().size(), 1);
    QVERIFY(bmi.ui().cmdSave->isEnabled());

    // The next save, once there is room, stores normally.
    messages.clear();
    Module1::PatientRecordset.reset();
    Module1::PatientDatabase.reset();
    QFile::remove(testapp::databaseFile());
    testapp::FreshDatabase again;
    testfiles::addPatient(1, "Ali");
    clickSave(bmi);
    QVERIFY(messages.prompts().isEmpty());
    QCOMPARE(testfiles::measurements().size(), 1);
}

MERIVEX_TEST_MAIN(TestSave)
#include "test_save.moc"
