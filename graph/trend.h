#pragma once
// The smoothed BMI a person and their doctor read instead of the day-to-day
// jumps of water and meals, and where it is heading. Pure: the graph window
// and the report compute it alike.
#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>

namespace merivex::trend
{

struct Measurement {
    QDate date;         // invalid when the stored text is no date
    std::int64_t idBmi; // orders measurements of the same day
    double bmi;         // NaN when there is none
};

// One trend value per measurement, in the order given (NaN for a measurement
// without a date or a BMI, which has no place in time). In date order, the
// same day by IdBMI: the first value is the first BMI, then
// trend = bmi + (previous trend - bmi) * 0.9^d, d the days since the
// previous measurement, at least 1.
QList<double> smoothed(const QList<Measurement> &measurements);

// Where the trend stands and heads: the least-squares slope of the trend
// values against the day over the last 28 days up to the last measurement
// (at least 2 measurements, at least 7 days apart).
struct WayAhead {
    bool valid = false;  // a trend value exists
    double last = 0;     // the last trend value
    QDate lastDate;      // of the last measurement with a trend value
    bool sloped = false; // enough measurements for a slope
    double perWeek = 0;  // the slope, BMI a week
    bool within = false; // 20 <= last <= 25
    QDate reaches;       // when the line meets 25 or 20 (invalid: not shown)
    int target = 0;      // 25 or 20 when reaches is valid
};
WayAhead wayAhead(const QList<Measurement> &measurements, const QList<double> &trend);

// "Trend BMI 26.3, falling 0.12 a week; at this trend BMI 25 around
// 14/03/2027"; empty when there is no trend value.
QString sentence(const WayAhead &ahead);

} // namespace merivex::trend
