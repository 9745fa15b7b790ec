// The grid on its own: the operations the list windows fill it with, and
// that the view sees one consistent picture only once the event is over.
#include "testapp.h"

#include "classic/flexgrid.h"
#include "classic/msgbox.h"
#include "db/errors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace
{
// The lists' header row and numbering column, columns from the format.
void withHeader(FlexGrid &grid, const QString &format)
{
    grid.setRows(2);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setCols(1);
    grid.setFormatString(format);
}

// Shown, with rows numbered and dated as the history fills them.
void fillShown(FlexGrid &grid, const QString &format, int rows, QSize size)
{
    grid.resize(size);
    withHeader(grid, format);
    for (int r = 1; r < rows; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r));
        grid.setTextMatrix(r, 1, "05/01/24");
        grid.setRows(grid.Rows() + 1);
    }
    grid.Refresh();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}
} // namespace

class TestFlexGrid : public QObject
{
    Q_OBJECT
private slots:
    void formatStringMakesColumnsAsWideAsTheirHeaders();
    void clearEmptiesTextsButKeepsDimensions();
    void viewIsResetOnceAfterAFill();
    void clickingARowSelectsIt();
    void cellsOutsideTheGridAreRefused();
    void areaBeyondTheCellsIsGray();
    void wideColumnsScrollHorizontally();
    void addedRowsShowValuesByTheDisplayRule();
    void cornerIsNamedByItsHeader();
};

void TestFlexGrid::formatStringMakesColumnsAsWideAsTheirHeaders()
{
    FlexGrid grid;
    withHeader(grid, "No |Date               |Height|BMI   ");
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 1), QString("Date               "));
    const QFontMetrics metrics(grid.font());
    // Blanks count: the padded header is wider than its bare word.
    QVERIFY(grid.ColWidth(1) >
            metrics.horizontalAdvance("Date") + metrics.horizontalAdvance("           "));
    QCOMPARE(grid.ColWidth(3) - grid.ColWidth(2),
             metrics.horizontalAdvance("BMI   ") - metrics.horizontalAdvance("Height"));

    // A final bar adds no column.
    grid.setFormatString("No |Name|Date of Register|");
    QCOMPARE(grid.Cols(), 3);
    grid.Refresh();
    // The header row and numbering column are the view's headers.
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QString("Name"));
    QCOMPARE(grid.horizontalHeader()->sectionSize(0), grid.ColWidth(1));
    QCOMPARE(grid.verticalHeader()->width(), grid.ColWidth(0));
}

void TestFlexGrid::clearEmptiesTextsButKeepsDimensions()
{
    FlexGrid grid;
    grid.setRows(3);
    grid.setCols(3);
    grid.setTextMatrix(2, 2, "x");
    grid.setTextMatrix(0, 1, "head");
    grid.Clear();
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(2, 2), QString());
    QCOMPARE(grid.TextMatrix(0, 1), QString());
}

void TestFlexGrid::viewIsResetOnceAfterAFill()
{
    FlexGrid grid;
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(grid.model(), &QAbstractItemModel::dataChanged);
    QCoreApplication::processEvents();
    resets.clear();
    grid.setCols(5);
    for (int r = 1; r < 500; ++r) {
        grid.setRows(grid.Rows() + 1);
        grid.setRow(r);
        grid.setCol(2);
        grid.setText(QString::number(r));
    }
    QCOMPARE(resets.count(), 0);
    QCOMPARE(grid.model()->rowCount(), 1); // the view still sees the old grid
    QCoreApplication::processEvents();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(grid.model()->rowCount(), grid.Rows() - 1);
    QCOMPARE(grid.model()->index(498, 1).data().toString(), QString("499"));
}

void TestFlexGrid::clickingARowSelectsIt()
{
    FlexGrid grid;
    grid.resize(300, 200);
    grid.setRows(5);
    grid.setCols(3);
    grid.setRow(4);
    grid.Refresh();
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const QRect cell = grid.visualRect(grid.model()->index(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid.RowSel(), 2);
    QCOMPARE(grid.Col(), 2);
    // Setting the row from code moves the selected row with it.
    grid.setRow(3);
    QCOMPARE(grid.RowSel(), 3);
}

void TestFlexGrid::cellsOutsideTheGridAreRefused()
{
    FlexGrid grid;
    grid.setRows(2);
    grid.setCols(2);
    QVERIFY_THROWS_EXCEPTION(merivex::Error, grid.setRow(2));
    QVERIFY_THROWS_EXCEPTION(merivex::Error, grid.setCol(-1));
    QVERIFY_THROWS_EXCEPTION(merivex::Error, grid.setTextMatrix(5, 0, "x"));
    QVERIFY_THROWS_EXCEPTION(merivex::Error, grid.setFixedRows(3));
    QCOMPARE(grid.TextMatrix(9, 9), QString());
    // A handler that meets one ends with the runtime's box, number and text.
    MsgBoxRecorder boxes;
    QVERIFY(!Guarded([&] { grid.setRow(2); }));
    QCOMPARE(boxes.prompts(), QStringList{"Run-time error '30009':\n\nInvalid Row value"});
    QCOMPARE(boxes.messages().first().buttons, vbCritical);
}

void TestFlexGrid::areaBeyondTheCellsIsGray()
{
    FlexGrid grid;
    fillShown(grid, "No |Date|BMI", 3, QSize(300, 240));
    const QImage image = grid.grab().toImage();
    const QColor gray(128, 128, 128);
    const auto at = [&](const QPoint &p) {
        return image.pixelColor(grid.viewport()->mapTo(&grid, p));
    };
    // Right of the last column and below the last row.
    QCOMPARE(at(QPoint(grid.viewport()->width() - 5, 5)), gray);
    QCOMPARE(at(QPoint(5, grid.viewport()->height() - 5)), gray);
    // The numbering column and the header row beyond their last sections.
    const QHeaderView *rowHeader = grid.verticalHeader();
    QCOMPARE(image.pixelColor(
                 rowHeader->mapTo(&grid, QPoint(rowHeader->width() / 2, rowHeader->height() - 5))),
             gray);
    const QHeaderView *colHeader = grid.horizontalHeader();
    QCOMPARE(image.pixelColor(
                 colHeader->mapTo(&grid, QPoint(colHeader->width() - 5, colHeader->height() / 2))),
             gray);
    // A cell keeps its own background.
    const QRect cell = grid.visualRect(grid.model()->index(0, 1));
    QCOMPARE(at(cell.center()), grid.palette().color(QPalette::Base));
}

void TestFlexGrid::wideColumnsScrollHorizontally()
{
    FlexGrid grid;
    fillShown(grid, "No |Date               |Height|Weight|BMI                             ", 4,
              QSize(233, 353));
    QScrollBar *bar = grid.horizontalScrollBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->maximum() > 0);
    // The bar is drawn as a scroll bar: its picture follows the position.
    const QImage start = bar->grab().toImage();
    QVERIFY(grid.columnViewportPosition(3) + grid.columnWidth(3) > grid.viewport()->width());
    bar->setValue(bar->maximum());
    // Scrolled to its end, the last column is in sight, cut off before.
    const int last = grid.model()->columnCount() - 1;
    QVERIFY(grid.columnViewportPosition(last) + grid.columnWidth(last) <= grid.viewport()->width());
    QVERIFY(bar->grab().toImage() != start);
}

void TestFlexGrid::addedRowsShowValuesByTheDisplayRule()
{
    FlexGrid grid;
    withHeader(grid, "No |Date|BMI");
    grid.setRow(1);
    merivex::FieldValue first[] = {qint64(1), std::string(" 05/01/24 "), 65 / (1.7 * 1.7)};
    grid.addRow(first, 7);
    merivex::FieldValue second[] = {qint64(2), merivex::FieldValue(), std::string("Ünï")};
    grid.addRow(second, std::nullopt);
    // As a loop of cell writes and added rows leaves it: one empty row after.
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.RowSel(), 3);
    const QStringList shown{grid.TextMatrix(1, 1), grid.TextMatrix(1, 2), grid.TextMatrix(2, 0),
                            grid.TextMatrix(2, 1), grid.TextMatrix(2, 2), grid.TextMatrix(3, 0)};
    QCOMPARE(shown, (QStringList{"05/01/24", "22.4913494809689", "2", "", "Ünï", ""}));
    // Texts written through the grid stay as written, blanks included.
    QCOMPARE(grid.TextMatrix(0, 0), QString("No "));
    QCOMPARE(grid.rowKey(1), std::optional<qint64>(7));
    for (int row : {0, 2, 3, 4})
        QCOMPARE(grid.rowKey(row), std::optional<qint64>());
    QCoreApplication::processEvents();
    QCOMPARE(grid.model()->index(0, 1).data().toString(), QString("22.4913494809689"));
    QCOMPARE(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignVCenter | Qt::AlignRight);
    QCOMPARE(grid.model()->headerData(1, Qt::Vertical).toString(), QString("2"));
}

void TestFlexGrid::cornerIsNamedByItsHeader()
{
    FlexGrid grid;
    withHeader(grid, QStringLiteral("No |Name|Date"));
    grid.Refresh();
    auto *corner = grid.findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(corner);
    QCOMPARE(corner->accessibleName(), QStringLiteral("No"));
}

MERIVEX_TEST_MAIN(TestFlexGrid)

#include "tst_flexgrid.moc"
