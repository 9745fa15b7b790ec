// The window as it opens: designer state, the history grid from the
// database, and the grid rebuilt by every resize.
#include "app/frmMain.h"
#include "app/module1.h"
#include "bmiwindow.h"
#include "classic/flexgrid.h"
#include "classic/msgbox.h"
#include "controls.h"
#include "db/date_format.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

using namespace bmitest;

namespace
{
FlexGrid &grid()
{
    return *control<FlexGrid>(window(), "MSFlexGrid1");
}

QStringList row(int r)
{
    QStringList cells;
    for (int c = 0; c < grid().Cols(); ++c)
        cells << grid().TextMatrix(r, c);
    return cells;
}
} // namespace

class TestBmiHistory : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.start(); }
    void cleanup() { m_fixture.stop(); }

    void opensMaximizedWithItsDesignerState();
    void restoredSizeAndFixedLayout();
    void noPatientLeavesTheGridClearedAndOpensNothing();
    void patientWithoutMeasurements();
    void threeMeasurementsInDateOrder();
    void nullHeightShowsEmptyCells();
    void onlyThePatientsOwnRows();
    void resizeRebuildsTheGrid();
    void idThatIsNoWholeNumberLeavesTheGrid();

private:
    Fixture m_fixture;
};

void TestBmiHistory::opensMaximizedWithItsDesignerState()
{
    // The main window's BMI command opens it.
    control<QAction>(Forms::get<frmMain>(), "mnuBMI")->trigger();
    QVERIFY(window().IsLoaded());
    QVERIFY(Module1::BmiWindowLoaded);
    QVERIFY(window().window()->isMaximized());
    QCOMPARE(window().Caption(), QString("Your Ideal Weight !"));
    QVERIFY(!control<QLineEdit>(window(), "txtBmi")->isEnabled());
    QVERIFY(!control<QPushButton>(window(), "cmdSave")->isEnabled());
    QVERIFY(control<QPushButton>(window(), "cmdCalculate")->isEnabled());
    QVERIFY(!control<QPushButton>(window(), "cmdCalculate")->isDefault() &&
            !control<QPushButton>(window(), "cmdCalculate")->autoDefault());
    QCOMPARE(control<QLineEdit>(window(), "txtBmi")->text(), QString());
    QCOMPARE(control<QLabel>(window(), "Label3")->text(), QString("Your Body Mass Indes is"));
    QCOMPARE(control<QLabel>(window(), "Label11")->text(), QString("Calculate Your's BMI"));
    QCOMPARE(control<QLabel>(window(), "Label12")->text(), QString("Your's BMI History"));
    QVERIFY(control<QLabel>(window(), "Label7")->text().contains(". n June"));
    QCOMPARE(control<QLabel>(window(), "Label9")->text().count(QChar(0x2019)), 1);

    QWidget *client = window().client();
    // Tab goes weight, height, Calculate, grid: the disabled boxes are skipped.
    QList<QWidget *> order{control<QLineEdit>(window(), "txtweight")};
    for (QWidget *w = control<QLineEdit>(window(), "txtweight")->nextInFocusChain();
         w != control<QLineEdit>(window(), "txtweight") && order.size() < 4;
         w = w->nextInFocusChain()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(client))
            order << w;
    }
    QCOMPARE(order, (QList<QWidget *>{control<QLineEdit>(window(), "txtweight"),
                                      control<QLineEdit>(window(), "txtHeight"),
                                      control<QPushButton>(window(), "cmdCalculate"),
                                      control<FlexGrid>(window(), "MSFlexGrid1")}));
    QVERIFY(control<QLineEdit>(window(), "txtweight")->nextInFocusChain() ==
            control<QLineEdit>(window(), "txtBmi"));
}

void TestBmiHistory::restoredSizeAndFixedLayout()
{
    window().Show();
    QMdiSubWindow *sub = qobject_cast<QMdiSubWindow *>(window().window());
    QVERIFY(sub);
    const QRect save = control<QPushButton>(window(), "cmdSave")->geometry();
    const QRect gridBox = control<FlexGrid>(window(), "MSFlexGrid1")->geometry();
    sub->showNormal();
    QCOMPARE(window().ScaleWidth(), 11880.0);
    QCOMPARE(window().ScaleHeight(), 8595.0);
    QCOMPARE(sub->pos(), QPoint(0, 0));
    sub->resize(300, 200);
    QCoreApplication::processEvents();
    QVERIFY(window().ScaleWidth() < 11880);
    QCOMPARE(control<QPushButton>(window(), "cmdSave")->geometry(), save);
    QCOMPARE(control<FlexGrid>(window(), "MSFlexGrid1")->geometry(), gridBox);
    QCOMPARE(save, QRect(328, 456, 81, 25));
}

void TestBmiHistory::noPatientLeavesTheGridClearedAndOpensNothing()
{
    window().Show();
    QCoreApplication::processEvents();
    QVERIFY(!Module1::PatientRecordset);
    QCOMPARE(control<QLabel>(window(), "lblNasihat")->text(), QString());
    // Cleared, in its designer dimensions.
    QCOMPARE(grid().Rows(), 2);
    QCOMPARE(grid().Cols(), 2);
    QCOMPARE(row(0), (QStringList{"", ""}));
}

void TestBmiHistory::patientWithoutMeasurements()
{
    currentPatient("Ali");
    window().Show();
    QCOMPARE(grid().Rows(), 2);
    QCOMPARE(row(0), (QStringList{"No ", "Date               ", "Height", "Weight",
                                  "BMI                             "}));
    QCOMPARE(row(1), (QStringList{"", "", "", "", ""}));
    // An empty result stays open until the next statement.
    QVERIFY(Module1::PatientRecordset);
}

void TestBmiHistory::threeMeasurementsInDateOrder()
{
    const QString id = currentPatient("Siti");
    addMeasurements(id, {{QDate(2024, 3, 5), "1.7", "65"},
                         {QDate(2024, 3, 1), "1.7", "70"},
                         {QDate(2024, 3, 20), "1.6", "60"}});
    window().Show();
    const QString sep = merivex::dateSeparator();
    QCOMPARE(grid().Rows(), 5);
    QCOMPARE(row(1),
             (QStringList{"1", "01" + sep + "03" + sep + "24", "1.7", "70", "24.2214532871972"}));
    QCOMPARE(row(2),
             (QStringList{"2", "05" + sep + "03" + sep + "24", "1.7", "65", "22.4913494809689"}));
    QCOMPARE(row(3).mid(0, 4), (QStringList{"3", "20" + sep + "03" + sep + "24", "1.6", "60"}));
    QCOMPARE(row(4), (QStringList{"", "", "", "", ""}));
    // After filling, the selected row is the empty last one.
    QCOMPARE(grid().RowSel(), 4);
    // The view shows the same once the event is over.
    QCoreApplication::processEvents();
    QCOMPARE(grid().model()->rowCount(), 4);
    QCOMPARE(grid().model()->headerData(2, Qt::Vertical).toString(), QString("3"));
}

void TestBmiHistory::nullHeightShowsEmptyCells()
{
    const QString id = currentPatient("Ali");
    addMeasurements(id, {{QDate(2024, 1, 2), QVariant(), "80"}});
    window().Show();
    QCOMPARE(grid().Rows(), 3);
    QCOMPARE(row(1).mid(2), (QStringList{"", "80", ""}));
}

void TestBmiHistory::onlyThePatientsOwnRows()
{
    const QString first = addPatient("First");
    const QString second = addPatient("Second");
    addMeasurements(first, {{QDate(2024, 1, 2), "1.8", "81"}});
    addMeasurements(second, {{QDate(2024, 1, 3), "1.5", "45"}, {QDate(2024, 1, 4), "1.5", "47"}});
    Module1::CurrentPatientId = second;
    window().Show();
    QCOMPARE(grid().Rows(), 4);
    QCOMPARE(grid().TextMatrix(1, 3), QString("45"));
    QCOMPARE(grid().TextMatrix(2, 3), QString("47"));
}

void TestBmiHistory::resizeRebuildsTheGrid()
{
    const QString id = currentPatient("Ali");
    addMeasurements(id, {{QDate(2024, 1, 2), "1.8", "81"}});
    window().Show();
    QCOMPARE(grid().Rows(), 3);
    addMeasurements(id, {{QDate(2024, 1, 3), "1.8", "82"}});
    // The main window grows; the maximized child follows and searches again.
    QMainWindow *main = Forms::get<frmMain>().mainWindow();
    main->resize(main->width() + 40, main->height() + 30);
    QCoreApplication::processEvents();
    QCOMPARE(grid().Rows(), 4);
    QCOMPARE(row(2).mid(0, 4), (QStringList{"2", row(2)[1], "1.8", "82"}));
    QCOMPARE(grid().TextMatrix(3, 0), QString());
}

void TestBmiHistory::idThatIsNoWholeNumberLeavesTheGrid()
{
    const QString id = currentPatient("Ali");
    addMeasurements(id, {{QDate(2024, 1, 2), "1.8", "81"}});
    window().Show();
    const QStringList before = row(1);
    const auto recordset = Module1::PatientRecordset;
    MsgBoxRecorder rec;
    for (const QString bad : {"1 or 1=1", "x", " ", "1.5"}) {
        Module1::CurrentPatientId = bad;
        window().window()->showNormal();
        window().window()->resize(500 + bad.size(), 400);
        QCoreApplication::processEvents();
        QCOMPARE(grid().Rows(), 3);
        QCOMPARE(row(1), before);
    }
    QCOMPARE(Module1::PatientRecordset, recordset);
    QVERIFY(rec.prompts().isEmpty());
}

MERIVEX_TEST_MAIN(TestBmiHistory)
#include "tst_bmi_history.moc"
