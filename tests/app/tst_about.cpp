// The About box: its design and how it closes.
#include "controls.h"
#include "testapp.h"

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/module1.h"
#include "classic/forms.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class AboutTest : public QObject
{
    Q_OBJECT
    std::optional<testapp::Session> m_session;

    frmAbout &openAbout()
    {
        control<QAction>(Forms::get<frmMain>(), "mnuAbout")->trigger();
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
        QCOMPARE(control<QLabel>(about, "lblTitle")->text(), QString("Merivex"));
        QCOMPARE(control<QLabel>(about, "lblVersion")->text(), QString("Version 0.01"));
        QCOMPARE(control<QLabel>(about, "lblDescription")->text(),
                 QString("This Application to monitor our health."));
        QVERIFY(control<QLabel>(about, "lblTitle")->font().bold());
        QCOMPARE(control<QLabel>(about, "lblTitle")->font().pointSizeF(), 9.75);
        QVERIFY(control<QLabel>(about, "lblVersion")->font().italic());
        QCOMPARE(control<QPushButton>(about, "cmdOK")->geometry(), QRect(283, 128, 84, 23));
        QVERIFY(control<QPushButton>(about, "cmdOK")->isDefault());
        for (QLabel *image : {control<QLabel>(about, "Image1"), control<QLabel>(about, "Image2"),
                              control<QLabel>(about, "Image3")})
            QVERIFY(image->hasScaledContents());
        QCOMPARE(control<QLabel>(about, "Image1")->size(), QSize(49, 49));
        QCOMPARE(control<QLabel>(about, "Image2")->size(), QSize(249, 49));
        QCOMPARE(control<QLabel>(about, "Image3")->size(), QSize(81, 57));
        QCOMPARE(box->palette().color(QPalette::Window), QColor(128, 255, 255));
        // The logo is drawn over the labels' right ends.
        const QObjectList order = box->children();
        QVERIFY(order.indexOf(control<QLabel>(about, "Image3")) >
                order.indexOf(control<QLabel>(about, "lblTitle")));
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
        QVERIFY(control<QPushButton>(about, "cmdOK")->hasFocus() || !box->isActiveWindow());
        switch (how) {
        case 0:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case 2:
            QTest::mouseClick(control<QPushButton>(about, "cmdOK"), Qt::LeftButton);
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
        control<QAction>(Forms::get<frmMain>(), "mnuGraf")->trigger();
        QCOMPARE(rec.prompts(), QStringList({"No User Selected - No Graph"}));
    }
};

MERIVEX_TEST_MAIN(AboutTest)

#include "tst_about.moc"
