#include "graph/trendchart.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace
{
constexpr double None = std::numeric_limits<double>::quiet_NaN();

double finiteOrNone(double value)
{
    return std::isfinite(value) ? value : None;
}
} // namespace

double trendValue(const merivex::FieldValue &bmi)
{
    if (const auto *number = std::get_if<double>(&bmi))
        return finiteOrNone(*number);
    if (const auto *number = std::get_if<qint64>(&bmi))
        return double(*number);
    const auto *stored = std::get_if<std::string>(&bmi);
    if (!stored)
        return None;
    const QString text = QString::fromUtf8(stored->data(), qsizetype(stored->size())).trimmed();
    bool ok = false;
    double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        value = QLocale().toDouble(text, &ok);
    return ok ? finiteOrNone(value) : None;
}

PointTable trendTable(QList<double> bmis, std::function<QString(int point)> label,
                      QList<double> smoothed)
{
    const qsizetype measured = bmis.size();
    PointTable table;
    table.points = measured == 1 ? 2 : int(measured);
    table.label = [label = std::move(label), measured](int point) {
        return point < measured ? label(point) : QString();
    };
    QList<double> ideal(table.points, None), under(table.points, None);
    for (qsizetype i = 0; i < measured; ++i) {
        ideal[i] = 25;
        under[i] = 20;
    }
    bmis.resize(table.points, None);
    table.series = {ideal, under, bmis};
    if (!smoothed.isEmpty()) {
        smoothed.resize(table.points, None);
        table.series.append(smoothed);
    }
    return table;
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
    if (table.series.size() > 3) {
        chart.defineSeries(3, 0x800040, QStringLiteral("Trend"));
        chart.setSeriesStyle(3, Qt::DashLine);
        chart.setSeriesSmooth(3, true);
    }
    chart.setScaleDivisions(5);
    chart.setMinorDivisions(1);
    chart.setGridLines(true);
    chart.setPointMarkers(true);
    chart.redraw();
}
