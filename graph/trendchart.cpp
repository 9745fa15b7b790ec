#include "graph/trendchart.h"

void setTrendPoint(PointTable &table, int point, const QString &label, const QVariant &bmi)
{
    table(0, point) = label;
    table(1, point) = qint16(25);
    table(2, point) = qint16(20);
    table(3, point) = bmi;
}

void drawTrend(GraphLite &chart, const PointTable &table)
{
    chart.setBackgroundColour(0xFFFFFF);
    chart.loadData(table);
    chart.setTitle(QStringLiteral("Body Weight Index"));
    chart.setScaleMinimum(0);
    chart.setScaleMaximum(50);
    chart.defineSeries(0, 0x0000FF, QStringLiteral("Ideal Weight"));
    chart.defineSeries(1, 0xFF0000, QStringLiteral("UnderWeight"));
    chart.defineSeries(2, 0x00FFFF, QStringLiteral("Your Weight"));
    chart.setScaleDivisions(5);
    chart.setMinorDivisions(1);
    chart.setGridLines(true);
    chart.setPointMarkers(true);
    chart.redraw();
}
