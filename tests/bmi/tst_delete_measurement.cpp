// Deleting a wrong measurement: from a history row's context menu, reached by
// the mouse, the Menu key and Shift+F10, after a question naming the row;
// and with merivex-db delete-measurement. The next save's id follows the
// last row left, and check finds nothing wrong with the gap a deletion
// leaves.
#include "app/module1.h"
#include "bmi/frmBmi.h"
#include "classic/flexgrid.h"
#include "classic/forms.h"
#include "controls.h"
#include "db/backups.h"
#include "db/statements.h"
#include "graph/frmGraph.h"
#include "graph/graphlite.h"
#include "patientfile.h"
#include "testapp.h"
#include "tool_support.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace
{

// Runs open, which should pop up the row menu; picks its item by the
// keyboard (Down first, unless the item is already highlighted) and returns
// the item's text ("" when no menu came).
QString pickFromRowMenu(const std::function<void()> &open)
{
    QString item;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        item = menu->actions().value(0)->text();
        if (!menu->activeAction())
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        if (menu->isVisible()) {
            item = QStringLiteral("(not chosen)");
            menu->close();
        }
    });
    open();
    QCoreApplication::processEvents();
    return item;
}

QList<int> storedIds()
{
    QList<int> ids;
    for (const testfiles::Measurement &m : testfiles::measurements())
        ids.append(m.idBmi.toInt());
    return ids;
}

} // namespace

class TestDeleteMeasurement : public QObject
{
    Q_OBJECT
    std::optional<testapp::Surroundings> m_run;

private slots:
    void init() { m_run.emplace(true, QDate(2026, 12, 6)); }
    void cleanup() { m_run.reset(); }

    void fromTheHistoryRowAfterAsking()
    {
        testfiles::addPatient(1, "Ali");
        testfiles::addPatient(2, "Siti");
        // Ali's height typed in centimetres is the last row of the table.
        testfiles::addMeasurements({{1, 1, "01/12/26", 65.0, 1.7},
                                    {2, 2, "02/12/26", 50.0, 1.6},
                                    {3, 1, "03/12/26", 65.0, 170.0}});
        Module1::CurrentPatientId = "1";
        Module1::CurrentUserName = "Ali";
        testapp::openPatientDatabase();
        frmBmi &bmi = Forms::get<frmBmi>();
        bmi.Show();
        Forms::get<frmGraph>().Show();
        bmi.Show(); // in front again, the graph open behind it
        const GraphLite &chart =
            *Forms::get<frmGraph>().client()->findChild<GraphLite *>("GraphLite1");
        QCOMPARE(chart.shown().labels, (QStringList{"01/12", "03/12"}));
        FlexGrid &grid = *control<FlexGrid>(bmi, "MSFlexGrid1");
        QVERIFY(QTest::qWaitForWindowExposed(bmi.window()->window()));
        grid.setFocus();
        const QString wrongRow = QStringLiteral("Delete this measurement?\n\nDate: 03/12/26\n"
                                                "Height: 170\nWeight: 65\nBMI: %1")
                                     .arg(grid.TextMatrix(2, 4));

        // The three ways to the menu, each on Ali's second row; the first
        // two answered No.
        MsgBoxRecorder messages;
        const QPoint onRow = grid.visualRect(grid.model()->index(1, 2)).center();
        const std::function<void()> ways[] = {
            [&] {
                QContextMenuEvent click(QContextMenuEvent::Mouse, onRow,
                                        grid.viewport()->mapToGlobal(onRow));
                QApplication::sendEvent(grid.viewport(), &click);
            },
            [&] {
                QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
                QApplication::sendEvent(&grid, &menuKey);
            },
            [&] { QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier); },
        };
        for (const auto &way : ways) {
            if (&way == &ways[2])
                messages.answer(vbYes);
            // A refill the window's layout queued may still come and clear
            // the current row, as a resize does.
            grid.setCurrentIndex(grid.model()->index(1, 0));
            QCOMPARE(pickFromRowMenu(way), QStringLiteral("Delete this measurement…"));
            QCOMPARE(messages.messages().size(), 1);
            QCOMPARE(messages.messages()[0].prompt, wrongRow);
            QCOMPARE(messages.messages()[0].buttons, vbYesNo | vbQuestion);
            messages.clear();
        }
        QCOMPARE(storedIds(), (QList<int>{1, 2}));
        // Copied first; the copy holds the row deleted.
        QList<merivex::AutomaticBackup> backups =
            merivex::automaticBackups(testapp::databaseFile());
        QCOMPARE(backups.size(), 1);
        QCOMPARE(backups[0].change, QStringLiteral("delete"));
        QCOMPARE(testfiles::readAll(*testfiles::open(backups[0].path),
                                    QStringLiteral("SELECT IdBMI FROM BMIHistory"))
                     .size(),
                 3);
        QCOMPARE(grid.Rows(), 3);
        QVERIFY(!chart.shown().labels.contains(QStringLiteral("03/12")));

        // The empty row below the history has no menu.
        grid.setCurrentIndex(grid.model()->index(1, 0));
        QVERIFY(pickFromRowMenu([&] {
                    QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier);
                }).isEmpty());

        // The next save takes the last row's id + 1, which frees the deleted 3.
        control<QLineEdit>(bmi, "txtHeight")->setText("1.70");
        control<QLineEdit>(bmi, "txtweight")->setText("64");
        control<QPushButton>(bmi, "cmdCalculate")->click();
        control<QPushButton>(bmi, "cmdSave")->click();
        QCOMPARE(storedIds(), (QList<int>{1, 2, 3}));
        // Today's file is copied already: the save makes no second copy.
        QCOMPARE(merivex::automaticBackups(testapp::databaseFile()).size(), 1);
    }

    void withTheTool()
    {
        QTemporaryDir dir;
        const QString path = testfiles::createDatabase(dir);
        {
            auto db = testfiles::open(path);
            testfiles::appendPatient(*db, "Ali");
            testfiles::appendPatient(*db, "Siti");
            for (qint16 patient : {1, 2, 1})
                testfiles::appendMeasurement(*db, patient, "02/12/26", 50.0, 1.6);
        }
        const QString file = QDir::toNativeSeparators(path);
        const dbtest::Run removed = dbtest::runTool({"delete-measurement", "2", path});
        QCOMPARE(removed.exitCode, 0);
        QVERIFY2(removed.out.startsWith(
                     QStringLiteral("Deleted IdBMI 2 from %1:\n  patient 2 (Siti), date "
                                    "2026-12-02 (stored 02/12/26), height 1.6, weight 50, BMI "
                                    "19.53125\nBacked up first as %2-")
                         .arg(file, QDir::toNativeSeparators(dir.filePath("backups/Merivex")))),
                 qPrintable(removed.out));
        const dbtest::Run again = dbtest::runTool({"delete-measurement", "2", path});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.startsWith(QStringLiteral("merivex-db: IdBMI 2 not deleted: error 3265: "
                                                     "There is no measurement with IdBMI 2 in %1.")
                                          .arg(file)),
                 qPrintable(again.err));
        QCOMPARE(testfiles::readAll(*testfiles::open(path), "SELECT IdBMI FROM BMIHistory"),
                 (QList<QStringList>{{"1"}, {"3"}}));
        // The gap is no damage.
        QCOMPARE(dbtest::runTool({"check", path}).exitCode, 0);
    }
};

MERIVEX_TEST_MAIN(TestDeleteMeasurement)
#include "tst_delete_measurement.moc"
