#pragma once
// The table a chart is loaded from: columns × points of variant cells, indexed
// first by column, then by point, both from 0. Every cell starts empty.
#include <QList>
#include <QVariant>

class PointTable
{
public:
    PointTable() = default;
    PointTable(int columns, int points)
        : m_columns(columns), m_points(points), m_cells(qsizetype(columns) * points)
    {
    }

    int columns() const { return m_columns; }
    int points() const { return m_points; }

    QVariant &operator()(int column, int point) { return m_cells[index(column, point)]; }
    const QVariant &operator()(int column, int point) const
    {
        return m_cells[index(column, point)];
    }

private:
    qsizetype index(int column, int point) const
    {
        Q_ASSERT(column >= 0 && column < m_columns && point >= 0 && point < m_points);
        return qsizetype(column) * m_points + point;
    }

    int m_columns = 0;
    int m_points = 0;
    QList<QVariant> m_cells;
};
