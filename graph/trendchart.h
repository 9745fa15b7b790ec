#pragma once
// The trend chart as the graph window shows it, also for the printed report:
// the points' table and every setting but the chart's place.
#include "graph/graphlite.h"
#include "graph/pointtable.h"

// Point i of a four-column table: its label, the reference lines at 25 and
// 20, and the BMI as the query gives it.
void setTrendPoint(PointTable &table, int point, const QString &label, const QVariant &bmi);

// Loads the table and applies the colours, captions and scale, then redraws.
void drawTrend(GraphLite &chart, const PointTable &table);
