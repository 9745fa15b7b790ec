#pragma once
// The trend chart as the graph window shows it, also for the printed report:
// its points and every setting but the chart's place.
#include "db/field_value.h"
#include "graph/graphlite.h"
#include "graph/pointtable.h"

#include <QList>

#include <functional>

// A BMI as the query gives it, as the chart draws it: a number as it is, a
// text by the number it reads as (C, then the user's locale), NaN (no point)
// for null, infinity or any other text.
double trendValue(const merivex::FieldValue &bmi);

// The measured BMIs in their order (NaN where there is none), point i
// labelled label(i), with the reference lines at 25 and 20 through each
// point, and the smoothed trend as a fourth series when one is given. A
// single measurement is followed by an empty point.
PointTable trendTable(QList<double> bmis, std::function<QString(int point)> label,
                      QList<double> smoothed = {});

// Loads the table and applies the colours, captions and scale, then redraws.
// The trend is a dark purple dashed line, told from yellow, red and blue also
// by readers who do not see colours apart.
void drawTrend(GraphLite &chart, const PointTable &table);
