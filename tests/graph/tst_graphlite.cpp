// The chart on its own: what it draws from a point table, colours, labels
// that fit, and its place in twips.
#include "testapp.h"

#include "graph/graphlite.h"
#include "graph/thinning.h"
#include "graph/trendchart.h"

#include <QApplication>
#include <QChart>
#include <QFontMetricsF>
#include <QtTest>
#include <cmath>

namespace
{
PointTable table(const QStringList &labels, const QList<double> &values)
{
    return trendTable(values, [labels](int point) { return labels[point]; });
}
} // namespace

class TestGraphLite : public QObject
{
    Q_OBJECT
private slots:
    void showsNothingNewUntilRedrawn();
    void tableIsCopied();
    void emptyAndUnreadableCellsDrawNoPoint();
    void dataNeverStretchTheFixedScale();
    void repeatedLabelsAreAllShown();
    void manyPointsShowOnlyLabelsThatFit();
    void longLinesAreThinnedWithoutLosingPeaks();
    void placementInTwipsNeverNegative();
    void designerFontsAndBorder();
};

void TestGraphLite::showsNothingNewUntilRedrawn()
{
    GraphLite chart;
    chart.loadData(table({"05/01", "06/01"}, {22.5, 23}));
    chart.setTitle("T");
    QCOMPARE(chart.shown().labels.size(), 0);
    QCOMPARE(chart.shown().title, QString());
    chart.redraw();
    QCOMPARE(chart.shown().labels.size(), 2);
    QCOMPARE(chart.shown().title, QString("T"));
}

// The table is copied: changing or dropping it later changes nothing.
void TestGraphLite::tableIsCopied()
{
    GraphLite chart;
    PointTable other = table({"01/01", "02/01"}, {30, 31});
    chart.loadData(other);
    other.series[2][0] = 40;
    other = PointTable();
    chart.redraw();
    QCOMPARE(chart.shown().points[2], QList<QPointF>({{0, 30}, {1, 31}}));
}

void TestGraphLite::emptyAndUnreadableCellsDrawNoPoint()
{
    GraphLite chart;
    // Values as the query may give them: texts, null, infinity.
    const QList<merivex::FieldValue> cells = {std::string("21"), std::string(""),
                                              std::monostate(),  std::string(" 23.5 "),
                                              std::string("x"),  HUGE_VAL};
    QList<double> values;
    for (const merivex::FieldValue &cell : cells)
        values.append(trendValue(cell));
    chart.loadData(table({"a", "b", "c", "d", "e", "f"}, values));
    chart.redraw();
    QCOMPARE(chart.shown().points[2], QList<QPointF>({{0, 21}, {3, 23.5}}));
    // The broken line is still one series in the legend.
    QCOMPARE(chart.shown().legend.size(), 3);

    // One measurement is padded with an empty point: no label, no values.
    chart.loadData(table({"05/01"}, {22}));
    chart.redraw();
    const GraphLite::Shown padded = chart.shown();
    QCOMPARE(padded.labels, QStringList({"05/01", ""}));
    for (int k = 0; k < 3; ++k)
        QCOMPARE(padded.points[k].size(), 1);
    // A lone point has no line to show it, so it is marked.
    QVERIFY(padded.markers[2]);
}

// Colours, legend, title and scale as the graph window sets them are
// asserted there; the window's data never reach 50.
void TestGraphLite::dataNeverStretchTheFixedScale()
{
    GraphLite chart;
    chart.setScaleMinimum(0);
    chart.setScaleMaximum(50);
    chart.loadData(table({"a"}, {90}));
    chart.redraw();
    QCOMPARE(chart.shown().maximum, 50.0);
    QCOMPARE(chart.shown().points[2].value(0).y(), 90.0);
}

void TestGraphLite::repeatedLabelsAreAllShown()
{
    GraphLite chart;
    chart.resize(529, 361);
    chart.show();
    chart.loadData(table({"05/01", "05/01", "06/01"}, {20, 21, 22}));
    chart.redraw();
    QTRY_VERIFY(chart.shown().frames > 0);
    const QList<QPair<int, QString>> shown = chart.shown().axisLabels;
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0], qMakePair(0, QString("05/01")));
    QCOMPARE(shown[1], qMakePair(1, QString("05/01")));
}

void TestGraphLite::manyPointsShowOnlyLabelsThatFit()
{
    GraphLite chart;
    chart.resize(529, 361);
    chart.show();
    QStringList labels;
    QList<double> values;
    for (int i = 0; i < 32767; ++i) {
        labels.append(
            QString("%1/%2").arg(i % 28 + 1, 2, 10, QChar('0')).arg(i % 12 + 1, 2, 10, QChar('0')));
        values.append(20 + i % 10);
    }
    chart.loadData(table(labels, values));
    chart.redraw();
    QTRY_VERIFY(chart.shown().frames > 0);
    QCoreApplication::processEvents();

    const GraphLite::Shown drawn = chart.shown();
    const QList<QPair<int, QString>> shown = drawn.axisLabels;
    QVERIFY(shown.size() >= 2);
    QVERIFY(shown.size() < 40);
    QCOMPARE(drawn.points[2].size(), 32767);
    // Neighbouring labels are at least one label's width apart on screen.
    const QFontMetricsF metrics(drawn.font);
    const double width = metrics.horizontalAdvance("00/00");
    QChart *c = chart.chart();
    for (int i = 1; i < shown.size(); ++i) {
        const double a = c->mapToPosition(QPointF(shown[i - 1].first, 0)).x();
        const double b = c->mapToPosition(QPointF(shown[i].first, 0)).x();
        QVERIFY2(b - a >= width, qPrintable(QString("%1 px apart").arg(b - a)));
    }
    QVERIFY(!drawn.markers[2]); // far too dense to mark

    // A wider chart has room for more labels.
    chart.resize(1200, 361);
    QTRY_VERIFY(chart.shown().axisLabels.size() > shown.size());
}

void TestGraphLite::longLinesAreThinnedWithoutLosingPeaks()
{
    QList<QPointF> few;
    for (int i = 0; i < FullDetailLimit; ++i)
        few.append(QPointF(i, i % 7));
    QCOMPARE(thinnedForDrawing(few, FullDetailLimit), few);

    const int n = 32767;
    QList<QPointF> many;
    for (int i = 0; i < n; ++i)
        many.append(QPointF(i, 20 + i % 10));
    many[12345].setY(48);
    many[20000].setY(1);
    const QList<QPointF> drawn = thinnedForDrawing(many, n);
    QVERIFY(drawn.size() <= 4 * FullDetailLimit);
    QCOMPARE(drawn.first(), many.first());
    QCOMPARE(drawn.last(), many.last());
    QVERIFY(drawn.contains(many[12345]));
    QVERIFY(drawn.contains(many[20000]));
    for (int i = 1; i < drawn.size(); ++i)
        QVERIFY(drawn[i].x() > drawn[i - 1].x());
    // A smooth line keeps a point a slice, its ends included.
    const QList<QPointF> sampled = sampledForDrawing(many, n);
    QCOMPARE(sampled.size(), SmoothDetailLimit + 1);
    QCOMPARE(sampled.first(), many.first());
    QCOMPARE(sampled.last(), many.last());
    QCOMPARE(sampledForDrawing(few.mid(0, SmoothDetailLimit), SmoothDetailLimit),
             few.mid(0, SmoothDetailLimit));

    // Level lines keep only their ends; the chart still knows every point.
    GraphLite chart;
    QStringList labels;
    QList<double> values;
    for (int i = 0; i < n; ++i) {
        labels.append("01/01");
        values.append(i % 2 ? 21 : 23);
    }
    chart.loadData(table(labels, values));
    chart.redraw();
    const GraphLite::Shown shown = chart.shown();
    QCOMPARE(shown.drawnPoints[0], 2);
    QVERIFY(shown.drawnPoints[2] <= 4 * FullDetailLimit);
    QCOMPARE(shown.points[2].size(), n);
}

void TestGraphLite::placementInTwipsNeverNegative()
{
    GraphLite chart;
    chart.setPlacementTwips(150, 30, -200, -1);
    QCOMPARE(chart.shown().twips, QRectF(150, 30, 0, 0));
    QCOMPARE(chart.leftTwips(), 150.0f);
    QCOMPARE(chart.pos(), QPoint(10, 2));
    QCOMPARE(chart.size(), QSize(0, 0));
    // Placed by pixels, it reports the pixels in twips.
    chart.setGeometry(0, 0, 529, 361);
    QCOMPARE(chart.shown().twips.size(), QSizeF(7935, 5415));
}

void TestGraphLite::designerFontsAndBorder()
{
    GraphLite chart;
    chart.setChartFont("MS Sans Serif,8.25,-1,5,400,0,0,0,0,0,0,0,0,0,0,1");
    const GraphLite::Shown shown = chart.shown();
    QCOMPARE(shown.font.family(), QString("MS Sans Serif"));
    QCOMPARE(shown.font.pointSizeF(), 8.25);
    QVERIFY(!shown.font.bold() && !shown.font.italic());
    QCOMPARE(chart.chart()->titleFont().pointSizeF(), shown.titleFont.pointSizeF());
    QCOMPARE(chart.borderStyle(), 1);
}

MERIVEX_TEST_MAIN(TestGraphLite)

#include "tst_graphlite.moc"
