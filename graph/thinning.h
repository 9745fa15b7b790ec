#pragma once
// Fewer points for drawing a long line without changing how it looks: above
// a few thousand points, more than one point falls on a pixel column.
#include <QList>
#include <QPointF>

// Up to this many points a line is drawn point by point.
constexpr int FullDetailLimit = 2048;

// The points of one unbroken run (x: the point's index among pointCount)
// reduced, when pointCount exceeds FullDetailLimit, to the first, lowest,
// highest and last point of each of FullDetailLimit equal slices of the
// index range, and without the inner points of level stretches.
QList<QPointF> thinnedForDrawing(const QList<QPointF> &run, int pointCount);
