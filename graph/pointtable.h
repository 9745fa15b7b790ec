#pragma once
// What a chart is loaded from: points along the horizontal axis, each with a
// label and a value in every series. Labels are made only for the points the
// axis shows: a long history shows a dozen of its thousands.
#include <QList>
#include <QString>

#include <functional>

struct PointTable {
    int points = 0;
    std::function<QString(int point)> label; // an empty text labels nothing
    QList<QList<double>> series;             // NaN where a point has no value
};
