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

// A smooth line (one without spikes to keep) needs still fewer: up to this
// many slices, one point each.
constexpr int SmoothDetailLimit = 512;

// The points of one unbroken run of a smooth line reduced, when pointCount
// exceeds SmoothDetailLimit, to the first point of each of SmoothDetailLimit
// equal slices of the index range, and the run's last point.
QList<QPointF> sampledForDrawing(const QList<QPointF> &run, int pointCount);
