#include "graph/thinning.h"

#include <algorithm>

namespace
{
void appendDistinct(QList<QPointF> &out, const QPointF &p)
{
    if (out.isEmpty() || out.last() != p)
        out.append(p);
}

// Drops the middle of three points at the same height: the line is the same.
QList<QPointF> withoutLevelInnerPoints(const QList<QPointF> &points)
{
    QList<QPointF> out;
    out.reserve(points.size());
    for (qsizetype i = 0; i < points.size(); ++i) {
        const bool inner = i > 0 && i + 1 < points.size() && points[i - 1].y() == points[i].y() &&
                           points[i + 1].y() == points[i].y();
        if (!inner)
            out.append(points[i]);
    }
    return out;
}
} // namespace

QList<QPointF> thinnedForDrawing(const QList<QPointF> &run, int pointCount)
{
    if (pointCount <= FullDetailLimit || run.size() <= 2)
        return run;
    QList<QPointF> out;
    out.reserve(4 * FullDetailLimit);
    const auto slice = [pointCount](const QPointF &p) {
        return qint64(p.x()) * FullDetailLimit / pointCount;
    };
    for (qsizetype begin = 0; begin < run.size();) {
        qsizetype end = begin + 1;
        const qint64 current = slice(run[begin]);
        while (end < run.size() && slice(run[end]) == current)
            ++end;
        const auto byHeight = [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); };
        const auto low = std::min_element(run.begin() + begin, run.begin() + end, byHeight);
        const auto high = std::max_element(run.begin() + begin, run.begin() + end, byHeight);
        appendDistinct(out, run[begin]);
        if (low->x() < high->x()) {
            appendDistinct(out, *low);
            appendDistinct(out, *high);
        } else {
            appendDistinct(out, *high);
            appendDistinct(out, *low);
        }
        appendDistinct(out, run[end - 1]);
        begin = end;
    }
    return withoutLevelInnerPoints(out);
}

QList<QPointF> sampledForDrawing(const QList<QPointF> &run, int pointCount)
{
    if (pointCount <= SmoothDetailLimit || run.size() <= 2)
        return run;
    QList<QPointF> out;
    out.reserve(SmoothDetailLimit + 1);
    qint64 slice = -1;
    for (const QPointF &p : run) {
        const qint64 current = qint64(p.x()) * SmoothDetailLimit / pointCount;
        if (current != slice) {
            out.append(p);
            slice = current;
        }
    }
    if (out.last() != run.last())
        out.append(run.last());
    return out;
}
