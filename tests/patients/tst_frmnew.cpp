// Registration against a real patient file: the checks, what is stored, the
// current patient and caption afterwards, and failures that must store nothing.
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

#include <QDate>
#include <QLocale>
#include <QtTest>

#include <optional>

class TestFrmNew : public QObject
{
    Q_OBJECT

    std::optional<testapp::Surroundings> m_run;

    frmNew &form() { return Forms::get<frmNew>(); }
    Ui::frmNew &ui() { return form().ui(); }

    void open()
    {
        Forms::get<frmMain>().ui().mnuBaru->trigger();
        QVERIFY(form().IsLoaded());
    }
    void fill(const QString &name, QRadioButton *sex, const QString &birthDate)
    {
        ui().txtNama->setText(name);
        if (sex)
            QTest::mouseClick(sex, Qt::LeftButton);
        ui().txtTL->setText(birthDate);
    }
    void enter() { QTest::mouseClick(ui().cmdEnter, Qt::LeftButton); }

private slots:
    void init() { m_run.emplace(true); }
    void cleanup() { m_run.reset(); }

    void opensEmptyWithNoDefaultButton()
    {
        open();
        QCOMPARE(form().Caption(), QStringLiteral("New Biodata"));
        QVERIFY(ui().txtNama->text().isEmpty() && ui().txtTL->text().isEmpty());
        QVERIFY(!ui().OptMale->isChecked() && !ui().OptFemale->isChecked());
        QCOMPARE(form().ScaleWidth(), 4785.0);
        QCOMPARE(form().ScaleHeight(), 2355.0);

        // Neither key presses a button: only a click registers.
        MsgBoxRecorder rec;
        ui().cmdEnter->setFocus();
        QTest::keyClick(ui().cmdEnter, Qt::Key_Return);
        QTest::keyClick(ui().cmdEnter, Qt::Key_Enter);
        QTest::keyClick(ui().cmdCancel, Qt::Key_Escape);
        QVERIFY(rec.messages().isEmpty());
        QVERIFY(form().IsLoaded());
    }

    void tabOrderStartsOnCancel()
    {
        QWidget *main = Forms::get<frmMain>().client();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        open();
        QCOMPARE(QApplication::focusWidget(), ui().cmdCancel);
        // The option group is one tab stop, entered at Male; arrows move within.
        const QList<QWidget *> order = {ui().OptMale, ui().txtTL, ui().cmdEnter, ui().txtNama,
                                        ui().cmdCancel};
        for (QWidget *expected : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected);
        }
        ui().OptMale->setFocus();
        QTest::keyClick(ui().OptMale, Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), ui().OptFemale);
        // A screen reader entering the group names it by the label beside it.
        QCOMPARE(ui().Label2->buddy(), ui().OptMale);
    }

    void checksReportOneMissingEntryAtATime()
    {
        open();
        MsgBoxRecorder rec;
        enter();
        ui().txtNama->setText(QStringLiteral("Aminah"));
        enter();
        QTest::mouseClick(ui().OptFemale, Qt::LeftButton);
        enter();
        QCOMPARE(rec.prompts(), QStringList({"Please Enter Your Name", "Please Click Your Gender",
                                             "Please Input Your BirtDate"}));
        for (const ShownMessage &m : rec.messages()) {
            QCOMPARE(m.buttons, vbOKOnly);
            QCOMPARE(m.title, QStringLiteral("MerivexDemo"));
        }
        // Nothing stored, nothing changed, everything typed is still there.
        QVERIFY(form().IsLoaded());
        QCOMPARE(ui().txtNama->text(), QStringLiteral("Aminah"));
        QVERIFY(ui().OptFemale->isChecked());
        QVERIFY(testfiles::patients().isEmpty());
        QCOMPARE(Module1::CurrentUserName, Module1::NoUser);
        QVERIFY(Module1::CurrentPatientId.isEmpty());
    }

    void firstPatientIsStoredAndBecomesCurrent()
    {
        open();
        fill(QStringLiteral("Aminah"), ui().OptMale, QStringLiteral("5/1/1970"));
        QTest::mouseClick(ui().OptFemale, Qt::LeftButton);
        QVERIFY(!ui().OptMale->isChecked());
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
        fill(QStringLiteral("C"), ui().OptMale, QStringLiteral("3/4/1975"));
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
        fill(QStringLiteral("D"), ui().OptFemale, typed);
        enter();
        QVERIFY(!form().IsLoaded());
        QCOMPARE(testfiles::patients().value(0).birthDate.toString(), stored);
    }

    void cancelStoresNothingAndReopensEmpty()
    {
        open();
        fill(QStringLiteral("E"), ui().OptMale, QStringLiteral("1/1/1990"));
        QTest::mouseClick(ui().cmdCancel, Qt::LeftButton);
        QVERIFY(!form().IsLoaded());
        QVERIFY(testfiles::patients().isEmpty());
        QCOMPARE(Module1::CurrentUserName, Module1::NoUser);
        open();
        QVERIFY(ui().txtNama->text().isEmpty());
        QVERIFY(!ui().OptMale->isChecked());
    }

    void openingClosesALoadedBmiWindow()
    {
        Forms::get<frmBmi>().Show();
        QVERIFY(Module1::BmiWindowLoaded);
        QVERIFY(Forms::get<frmBmi>().IsLoaded());
        open();
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
        QTest::mouseClick(ui().cmdCancel, Qt::LeftButton);
        QVERIFY(!Forms::get<frmBmi>().IsLoaded());
    }
};

MERIVEX_TEST_MAIN(TestFrmNew)

#include "tst_frmnew.moc"
