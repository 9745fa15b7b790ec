// Registration against a real patient file: the checks, what is stored, the
// current patient and caption afterwards, and failures that must store nothing.
#include "controls.h"
#include "patientfile.h"
#include "testapp.h"

#include "app/frmMain.h"
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/forms.h"
#include "classic/msgbox.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "patients/frmNew.h"

#include <QAction>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <optional>

class TestFrmNew : public QObject
{
    Q_OBJECT

    std::optional<testapp::Surroundings> m_run;

    frmNew &form() { return Forms::get<frmNew>(); }

    void open()
    {
        control<QAction>(Forms::get<frmMain>(), "mnuBaru")->trigger();
        QVERIFY(form().IsLoaded());
    }
    void fill(const QString &name, QRadioButton *sex, const QString &birthDate)
    {
        control<QLineEdit>(form(), "txtNama")->setText(name);
        if (sex)
            QTest::mouseClick(sex, Qt::LeftButton);
        control<QLineEdit>(form(), "txtTL")->setText(birthDate);
    }
    void enter() { QTest::mouseClick(control<QPushButton>(form(), "cmdEnter"), Qt::LeftButton); }

private slots:
    void init() { m_run.emplace(true); }
    void cleanup() { m_run.reset(); }

    void opensEmptyWithNoDefaultButton()
    {
        open();
        QCOMPARE(form().Caption(), QStringLiteral("New Biodata"));
        QVERIFY(control<QLineEdit>(form(), "txtNama")->text().isEmpty() &&
                control<QLineEdit>(form(), "txtTL")->text().isEmpty());
        QVERIFY(!control<QRadioButton>(form(), "OptMale")->isChecked() &&
                !control<QRadioButton>(form(), "OptFemale")->isChecked());
        QCOMPARE(form().ScaleWidth(), 4785.0);
        QCOMPARE(form().ScaleHeight(), 2355.0);

        // Neither key presses a button: only a click registers.
        MsgBoxRecorder rec;
        control<QPushButton>(form(), "cmdEnter")->setFocus();
        QTest::keyClick(control<QPushButton>(form(), "cmdEnter"), Qt::Key_Return);
        QTest::keyClick(control<QPushButton>(form(), "cmdEnter"), Qt::Key_Enter);
        QTest::keyClick(control<QPushButton>(form(), "cmdCancel"), Qt::Key_Escape);
        QVERIFY(rec.messages().isEmpty());
        QVERIFY(form().IsLoaded());
    }

    void tabOrderStartsOnCancel()
    {
        QWidget *main = Forms::get<frmMain>().client();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        open();
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(form(), "cmdCancel"));
        // The option group is one tab stop, entered at Male; arrows move within.
        const QList<QWidget *> order = {
            control<QRadioButton>(form(), "OptMale"), control<QLineEdit>(form(), "txtTL"),
            control<QPushButton>(form(), "cmdEnter"), control<QLineEdit>(form(), "txtNama"),
            control<QPushButton>(form(), "cmdCancel")};
        for (QWidget *expected : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        control<QRadioButton>(form(), "OptMale")->setFocus();
        QTest::keyClick(control<QRadioButton>(form(), "OptMale"), Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), control<QRadioButton>(form(), "OptFemale"));
        // A screen reader entering the group names it by the label beside it.
        QCOMPARE(control<QLabel>(form(), "Label2")->buddy(),
                 control<QRadioButton>(form(), "OptMale"));
    }

    void checksReportOneMissingEntryAtATime()
    {
        open();
        MsgBoxRecorder rec;
        enter();
        control<QLineEdit>(form(), "txtNama")->setText(QStringLiteral("Aminah"));
        enter();
        QTest::mouseClick(control<QRadioButton>(form(), "OptFemale"), Qt::LeftButton);
        enter();
        QCOMPARE(rec.prompts(), QStringList({"Please Enter Your Name", "Please Click Your Gender",
                                             "Please Input Your BirtDate"}));
        for (const ShownMessage &m : rec.messages()) {
            QCOMPARE(m.buttons, vbOKOnly);
            QCOMPARE(m.title, QStringLiteral("MerivexDemo"));
        }
        // Nothing stored, nothing changed, everything typed is still there.
        QVERIFY(form().IsLoaded());
        QCOMPARE(control<QLineEdit>(form(), "txtNama")->text(), QStringLiteral("Aminah"));
        QVERIFY(control<QRadioButton>(form(), "OptFemale")->isChecked());
        QVERIFY(testfiles::patients().isEmpty());
        QCOMPARE(Module1::CurrentUserName, Module1::NoUser);
        QVERIFY(Module1::CurrentPatientId.isEmpty());
    }

    void firstPatientIsStoredAndBecomesCurrent()
    {
        open();
        fill(QStringLiteral("Aminah"), control<QRadioButton>(form(), "OptMale"),
             QStringLiteral("5/1/1970"));
        QTest::mouseClick(control<QRadioButton>(form(), "OptFemale"), Qt::LeftButton);
        QVERIFY(!control<QRadioButton>(form(), "OptMale")->isChecked());
        MsgBoxRecorder rec;
        enter();
        QVERIFY(rec.messages().isEmpty());

        const QList<testfiles::Patient> rows = testfiles::patients();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].id.toInt(), 1);
        QCOMPARE(rows[0].name.toString(), QStringLiteral("Aminah"));
        QCOMPARE(rows[0].sex.toString(), QStringLiteral("Female"));
        QCOMPARE(rows[0].dateRegister.toString(),
                 merivex::formatDate(QDate::currentDate(), QStringLiteral("dd/mm/yyyy")));
        QCOMPARE(rows[0].birthDate.toString(), QStringLiteral("05/01/1970"));

        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("1"));
        QCOMPARE(Module1::CurrentUserName, QStringLiteral("Aminah"));
        QCOMPARE(Forms::get<frmMain>().Caption(), QStringLiteral("Merivex Demo -Aminah"));
        QVERIFY(!form().IsLoaded());
    }

    void nextIdFollowsTheLastRow()
    {
        testfiles::addPatients({{5, "A", "Male", "01/01/2001", "01/01/1990"},
                                {7, "B", "Female", "02/01/2001", "02/01/1990"}});
        open();
        fill(QStringLiteral("C"), control<QRadioButton>(form(), "OptMale"),
             QStringLiteral("3/4/1975"));
        enter();
        const QList<testfiles::Patient> rows = testfiles::patients();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[2].id.toInt(), 8);
        QCOMPARE(Module1::CurrentPatientId, QStringLiteral("8"));
    }

    void birthDateIsRewrittenOnlyWhenItIsADate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("d/m/yyyy") << QStringLiteral("5/1/1970") << QStringLiteral("05/01/1970");
        // Anything else is kept as typed.
        for (const char *typed : {"31/12/1999", "sometime in 1970", "31/2/1970", "  "})
            QTest::newRow(typed) << QString(typed) << QString(typed);
    }
    void birthDateIsRewrittenOnlyWhenItIsADate()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        open();
        fill(QStringLiteral("D"), control<QRadioButton>(form(), "OptFemale"), typed);
        enter();
        QVERIFY(!form().IsLoaded());
        QCOMPARE(testfiles::patients().value(0).birthDate.toString(), stored);
    }

    void cancelStoresNothingAndReopensEmpty()
    {
        open();
        fill(QStringLiteral("E"), control<QRadioButton>(form(), "OptMale"),
             QStringLiteral("1/1/1990"));
        QTest::mouseClick(control<QPushButton>(form(), "cmdCancel"), Qt::LeftButton);
        QVERIFY(!form().IsLoaded());
        QVERIFY(testfiles::patients().isEmpty());
        QCOMPARE(Module1::CurrentUserName, Module1::NoUser);
        open();
        QVERIFY(control<QLineEdit>(form(), "txtNama")->text().isEmpty());
        QVERIFY(!control<QRadioButton>(form(), "OptMale")->isChecked());
    }

    void openingClosesALoadedBmiWindow()
    {
        Forms::get<frmBmi>().Show();
        QVERIFY(Module1::BmiWindowLoaded);
        QVERIFY(Forms::get<frmBmi>().IsLoaded());
        open();
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
        QTest::mouseClick(control<QPushButton>(form(), "cmdCancel"), Qt::LeftButton);
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
    }
};

MERIVEX_TEST_MAIN(TestFrmNew)

#include "tst_frmnew.moc"
