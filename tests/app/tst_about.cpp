// The About box: its design and how it closes.
#include "testapp.h"

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "classic/forms.h"

#include <QApplication>
#include <QtTest>

class AboutTest : public QObject
{
    Q_OBJECT
    std::optional<testapp::Session> m_session;

    frmAbout &openAbout()
    {
        Forms::get<frmMain>().ui().mnuAbout->trigger();
        return Forms::get<frmAbout>();
    }
    static int aboutBoxesOnScreen()
    {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += w->objectName() == "frmAbout" && w->isVisible();
        return n;
    }

private slots:
    void init() { m_session.emplace(); }
    void cleanup() { m_session.reset(); }

    void isAFixedTopLevelDialogWithItsDesign()
    {
        frmAbout &about = openAbout();
        QWidget *box = about.client();
        QVERIFY(box->isWindow());
        QCOMPARE(about.window(), box); // not inside the workspace
        QCOMPARE(about.Caption(), QString("About Merivex"));
        QCOMPARE(box->size(), QSize(377, 169));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QVERIFY(!(box->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(box->windowFlags() & Qt::WindowMinimizeButtonHint));
        Ui::frmAbout &ui = about.ui();
        QCOMPARE(ui.lblTitle->text(), QString("Merivex"));
        QCOMPARE(ui.lblVersion->text(), QString("Version 0.01"));
        QCOMPARE(ui.lblDescription->text(), QString("This Application to monitor our health."));
        QVERIFY(ui.lblTitle->font().bold());
        QCOMPARE(ui.lblTitle->font().pointSizeF(), 9.75);
        QVERIFY(ui.lblVersion->font().italic());
        QCOMPARE(ui.cmdOK->geometry(), QRect(283, 128, 84, 23));
        QVERIFY(ui.cmdOK->isDefault());
        for (QLabel *image : {ui.Image1, ui.Image2, ui.Image3})
            QVERIFY(image->hasScaledContents());
        QCOMPARE(ui.Image1->size(), QSize(49, 49));
        QCOMPARE(ui.Image2->size(), QSize(249, 49));
        QCOMPARE(ui.Image3->size(), QSize(81, 57));
        QCOMPARE(box->palette().color(QPalette::Window), QColor(128, 255, 255));
        // The logo is drawn over the labels' right ends.
        const QObjectList order = box->children();
        QVERIFY(order.indexOf(ui.Image3) > order.indexOf(ui.lblTitle));
    }

    void enterEscapeAndOkCloseIt_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Enter") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("OK clicked") << 2;
        QTest::newRow("close box") << 3;
    }
    void enterEscapeAndOkCloseIt()
    {
        QFETCH(int, how);
        frmAbout &about = openAbout();
        QWidget *box = about.client();
        QVERIFY(about.ui().cmdOK->hasFocus() || !box->isActiveWindow());
        switch (how) {
        case 0:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case 2:
            QTest::mouseClick(about.ui().cmdOK, Qt::LeftButton);
            break;
        default:
            box->close();
        }
        QVERIFY(!about.IsLoaded());
        QCoreApplication::processEvents();
        QCOMPARE(aboutBoxesOnScreen(), 0);
        // And it opens again afterwards.
        openAbout();
        QVERIFY(about.IsLoaded());
        QCOMPARE(aboutBoxesOnScreen(), 1);
    }

    void openingTwiceShowsOneBox()
    {
        frmAbout &about = openAbout();
        QWidget *first = about.client();
        openAbout();
        QCOMPARE(about.client(), first);
        QCOMPARE(aboutBoxesOnScreen(), 1);
    }

    void frameCommandsStillWorkWhileItIsOpen()
    {
        openAbout();
        MsgBoxRecorder rec;
        Forms::get<frmMain>().ui().mnuGraf->trigger();
        QCOMPARE(rec.prompts(), QStringList({"No User Selected - No Graph"}));
    }
};

MERIVEX_TEST_MAIN(AboutTest)

#include "tst_about.moc"
