// The patient list against a real patient file: what the grid shows, what
// Select makes current, and that Select on no patient changes nothing.
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
#include "db/database_file.h"
#include "patients/frmOpen.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <optional>

class TestFrmOpen : public QObject
{
    Q_OBJECT

    std::optional<testapp::Surroundings> m_run;

    frmOpen &form() { return Forms::get<frmOpen>(); }
    FlexGrid *grid() { return control<FlexGrid>(form(), "MSFlexGrid1"); }

    void open()
    {
        control<QAction>(Forms::get<frmMain>(), "mnuBuka")->trigger();
        QVERIFY(form().IsLoaded());
    }
    // A click on a grid row as the user does it (row 1 is the first patient).
    void clickRow(int row) { appdriver::clickRow(grid(), row); }
    void select() { QTest::mouseClick(control<QPushButton>(form(), "cmdSelect"), Qt::LeftButton); }
    void seedThree()
    {
        testfiles::addPatients({{1, "Aminah", "Female", "01/02/2003", "1/1/1970"},
                                {2, "  Ben Tan  ", "Male", "02/02/2003", "1/1/1971"},
                                {3, "Chong", "Male", QVariant(), "1/1/1972"}});
    }

private slots:
    void init() { m_run.emplace(true); }
    void cleanup() { m_run.reset(); }

    void emptyTableShowsHeaderAndOneEmptyRow()
    {
        open();
        QCOMPARE(form().Caption(), QStringLiteral("Open Biodata"));
        QCOMPARE(form().ScaleWidth(), 6240.0);
        QCOMPARE(form().ScaleHeight(), 3810.0);
        QCOMPARE(grid()->FormatString().size(), 84);
        QCOMPARE(grid()->Rows(), 2);
        QCOMPARE(grid()->TextMatrix(0, 0), QStringLiteral("No "));
        QCOMPARE(grid()->TextMatrix(0, 1), "Name" + QString(58, ' '));
        QCOMPARE(grid()->TextMatrix(0, 2), QStringLiteral("Date of Register"));
        for (int c = 0; c < grid()->Cols(); ++c)
            QVERIFY(grid()->TextMatrix(1, c).isEmpty());
    }

    void patientsAreListedWithRunningNumbers()
    {
        seedThree();
        open();
        QCOMPARE(grid()->Rows(), 5);
        const QStringList names = {"Aminah", "Ben Tan", "Chong"};
        const QStringList dates = {"01/02/2003", "02/02/2003", ""};
        for (int r = 1; r <= 3; ++r) {
            QCOMPARE(grid()->TextMatrix(r, 0), QString::number(r));
            QCOMPARE(grid()->TextMatrix(r, 1), names[r - 1]);
            QCOMPARE(grid()->TextMatrix(r, 2), dates[r - 1]);
        }
        for (int c = 0; c < grid()->Cols(); ++c)
            QVERIFY(grid()->TextMatrix(4, c).isEmpty());
    }

    void selectMakesTheClickedPatientCurrent()
    {
        seedThree();
        open();
        clickRow(2);
        MsgBoxRecorder rec;
        select();
        QVERIFY(rec.messages().isEmpty());
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("2"));
        QCOMPARE(Module1::CurrentUserName, QStringLiteral("Ben Tan"));
        QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo - Ben Tan"));
        QVERIFY(!form().IsLoaded());
    }

    // Column 0 numbers the rows; Select takes the id read with the row, and
    // the list comes in id order whatever index the file holds.
    void selectTakesThePatientsOwnId_data()
    {
        QTest::addColumn<QString>("index");
        QTest::newRow("ids 5 and 7") << QString();
        QTest::newRow("an index that sorts by name")
            << QStringLiteral("CREATE INDEX byName ON Biodata(Name, DateRegister)");
    }
    void selectTakesThePatientsOwnId()
    {
        QFETCH(QString, index);
        testfiles::addPatients({{5, "Zed", "Male", "01/02/2003", "1/1/1970"},
                                {7, "Amy", "Female", "02/02/2003", "1/1/1971"}});
        if (!index.isEmpty())
            testfiles::open(merivex::databasePath())->execute(index);
        open();
        QCOMPARE(grid()->TextMatrix(1, 0), QStringLiteral("1"));
        QCOMPARE(grid()->TextMatrix(1, 1), QStringLiteral("Zed"));
        QCOMPARE(grid()->TextMatrix(2, 0), QStringLiteral("2"));
        clickRow(2);
        select();
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("7"));
        QCOMPARE(Module1::CurrentUserName, QStringLiteral("Amy"));
    }

    void keyboardAlonePicksAPatient()
    {
        seedThree();
        QWidget *main = Forms::get<frmMain>().client();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        open();
        QCoreApplication::processEvents(); // the list is shown once the load is over
        auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        };
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid());
        press(Qt::Key_Down);
        // Tab leaves the grid both ways instead of walking its cells.
        press(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != grid());
        press(Qt::Key_Tab, Qt::ShiftModifier);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(form(), "cmdSelect"));
        press(Qt::Key_Space);
        QCOMPARE(Module1::CurrentUserName, QStringLiteral("Ben Tan"));
        // The focus lands on a control of the main window, not on nothing.
        QTRY_VERIFY(QApplication::focusWidget() &&
                    control<QWidget>(Forms::get<frmMain>(), "Picture1")
                        ->isAncestorOf(QApplication::focusWidget()));
    }

    void selectOnNoPatientKeepsTheCurrentOne_data()
    {
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<bool>("clickEmptyRow");
        QTest::newRow("empty list") << false << false;
        QTest::newRow("nothing clicked") << true << false;
        QTest::newRow("empty last row clicked") << true << true;
    }
    void selectOnNoPatientKeepsTheCurrentOne()
    {
        QFETCH(bool, seeded);
        QFETCH(bool, clickEmptyRow);
        if (seeded)
            seedThree();
        Module1::CurrentUserName = QStringLiteral("Aminah");
        Module1::CurrentPatientId = QStringLiteral("1");
        Forms::get<frmMain>().setCaption(QStringLiteral("Merivex Demo - Aminah"));
        open();
        if (clickEmptyRow)
            clickRow(grid()->Rows() - 1);
        MsgBoxRecorder rec;
        select();
        QCOMPARE(rec.messages().size(), 1);
        QCOMPARE(rec.messages()[0].buttons, vbOKOnly);
        QCOMPARE(rec.messages()[0].title, QStringLiteral("MerivexDemo"));
        QVERIFY(form().IsLoaded());
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("1"));
        QCOMPARE(Module1::CurrentUserName, QStringLiteral("Aminah"));
        QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo - Aminah"));

        // A patient can still be chosen afterwards.
        if (seeded) {
            clickRow(3);
            select();
            QCOMPARE(Module1::CurrentPatientId, QStringLiteral("3"));
            QVERIFY(!form().IsLoaded());
        }
    }

    void cancelAndTheSearchSectionChangeNothing()
    {
        seedThree();
        open();
        QTest::keyClicks(control<QComboBox>(form(), "cmbSearchName"), QStringLiteral("Chong"));
        QTest::mouseClick(control<QPushButton>(form(), "Command3"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(form(), "Command4"), Qt::LeftButton);
        QCOMPARE(grid()->Rows(), 5);
        QCOMPARE(control<QComboBox>(form(), "cmbSearchName")->count(), 0);
        QCOMPARE(control<QLabel>(form(), "Label4")->text(),
                 QStringLiteral("Date of register egister"));
        QTest::mouseClick(control<QPushButton>(form(), "cmdCancel"), Qt::LeftButton);
        QVERIFY(!form().IsLoaded());
        QCOMPARE(Module1::CurrentUserName, Module1::NoUser);
        QVERIFY(Module1::CurrentPatientId.isEmpty());
        QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo - No User"));
    }

    void openingClosesALoadedBmiWindow()
    {
        Forms::get<frmBmi>().Show();
        QVERIFY(Forms::get<frmBmi>().IsLoaded());
        open();
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
        QTest::mouseClick(control<QPushButton>(form(), "cmdCancel"), Qt::LeftButton);
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
    }
};

MERIVEX_TEST_MAIN(TestFrmOpen)

#include "tst_frmopen.moc"
