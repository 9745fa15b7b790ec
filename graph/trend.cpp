#include "graph/trend.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace merivex::trend
{

namespace
{
constexpr double Keep = 0.9;    // of the previous trend, per day
constexpr int SlopeDays = 28;   // the slope's window, back from the last day
constexpr int SlopeSpan = 7;    // days its measurements must span at least
constexpr double Level = 0.007; // BMI a week: less is no movement
constexpr double Upper = 25, Lower = 20;

bool placed(const Measurement &m)
{
    return m.date.isValid() && std::isfinite(m.bmi);
}

// The indices of the placed measurements in date order, the same day by id.
std::vector<qsizetype> inTimeOrder(const QList<Measurement> &measurements)
{
    std::vector<qsizetype> order;
    order.reserve(std::size_t(measurements.size()));
    for (qsizetype i = 0; i < measurements.size(); ++i)
        if (placed(measurements[i]))
            order.push_back(i);
    const auto earlier = [&](qsizetype a, qsizetype b) {
        const Measurement &x = measurements[a], &y = measurements[b];
        return x.date != y.date ? x.date < y.date : x.idBmi < y.idBmi;
    };
    // Measurements are mostly stored as they are taken.
    if (!std::is_sorted(order.begin(), order.end(), earlier))
        std::stable_sort(order.begin(), order.end(), earlier);
    return order;
}

QString twoDecimals(double value)
{
    return QString::number(value, 'f', 2);
}
} // namespace

QList<double> smoothed(const QList<Measurement> &measurements)
{
    QList<double> trend(measurements.size(), std::numeric_limits<double>::quiet_NaN());
    const Measurement *previous = nullptr;
    double value = 0;
    for (const qsizetype i : inTimeOrder(measurements)) {
        const Measurement &m = measurements[i];
        if (previous) {
            const qint64 days = std::max<qint64>(1, previous->date.daysTo(m.date));
            value = m.bmi + (value - m.bmi) * (days == 1 ? Keep : std::pow(Keep, double(days)));
        } else {
            value = m.bmi;
        }
        trend[i] = value;
        previous = &m;
    }
    return trend;
}

WayAhead wayAhead(const QList<Measurement> &measurements, const QList<double> &trend)
{
    WayAhead ahead;
    std::vector<qsizetype> order = inTimeOrder(measurements);
    std::erase_if(order, [&](qsizetype i) { return i >= trend.size() || std::isnan(trend[i]); });
    if (order.empty())
        return ahead;
    ahead.valid = true;
    ahead.last = trend[order.back()];
    ahead.lastDate = measurements[order.back()].date;
    ahead.within = ahead.last >= Lower && ahead.last <= Upper;

    // Least squares over the window, the day counted from its last one.
    const QDate first = ahead.lastDate.addDays(-SlopeDays);
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    qint64 earliest = 0;
    for (const qsizetype i : order) {
        const qint64 x = ahead.lastDate.daysTo(measurements[i].date);
        if (measurements[i].date < first)
            continue;
        earliest = std::min(earliest, x);
        n += 1;
        sx += double(x);
        sy += trend[i];
        sxx += double(x) * double(x);
        sxy += double(x) * trend[i];
    }
    const double spread = n * sxx - sx * sx;
    if (n < 2 || -earliest < SlopeSpan || spread <= 0)
        return ahead;
    const double perDay = (n * sxy - sx * sy) / spread;
    ahead.sloped = true;
    ahead.perWeek = perDay * 7;
    if (ahead.within || std::abs(ahead.perWeek) < Level)
        return ahead;
    const bool falling = ahead.last > Upper && perDay < 0;
    const bool rising = ahead.last < Lower && perDay > 0;
    if (!falling && !rising)
        return ahead;
    const int target = falling ? int(Upper) : int(Lower);
    // A hair of rounding error must not add a day.
    const double days = std::ceil((target - ahead.last) / perDay - 1e-9);
    const QDate reaches = ahead.lastDate.addDays(qint64(days));
    if (reaches > ahead.lastDate.addYears(2))
        return ahead;
    ahead.reaches = reaches;
    ahead.target = target;
    return ahead;
}

QString sentence(const WayAhead &ahead)
{
    if (!ahead.valid)
        return {};
    QString text = QStringLiteral("Trend BMI %1").arg(QString::number(ahead.last, 'f', 1));
    if (ahead.sloped)
        text +=
            std::abs(ahead.perWeek) < Level
                ? QStringLiteral(", steady")
                : QStringLiteral(", %1 %2 a week")
                      .arg(ahead.perWeek < 0 ? QStringLiteral("falling") : QStringLiteral("rising"),
                           twoDecimals(std::abs(ahead.perWeek)));
    if (ahead.within)
        text += QStringLiteral("; within 20–25");
    else if (ahead.reaches.isValid())
        text += QStringLiteral("; at this trend BMI %1 around %2")
                    .arg(ahead.target)
                    .arg(ahead.reaches.toString(QStringLiteral("dd/MM/yyyy")));
    return text;
}

} // namespace merivex::trend
