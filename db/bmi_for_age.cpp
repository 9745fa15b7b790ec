#include "db/bmi_for_age.h"

#include "db/bmi_for_age_tables.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace merivex::who
{

namespace
{

constexpr double daysPerMonth = 30.4375;

struct Lms {
    double l, m, s;
};

// Rows are sorted by sex, then age, one row per age step.
const LmsRow *find(const LmsRow *rows, std::size_t count, Sex sex, qint64 age)
{
    const int code = sex == Sex::Male ? 1 : 2;
    const LmsRow *end = rows + count;
    const LmsRow *at = std::lower_bound(rows, end, std::pair<int, qint64>{code, age},
                                        [](const LmsRow &row, const std::pair<int, qint64> &key) {
                                            return row.sex < key.first ||
                                                   (row.sex == key.first && row.age < key.second);
                                        });
    return at != end && at->sex == code && at->age == age ? at : nullptr;
}

// The adjusted z-score of WHO's software (anthro's compute_zscore_adjusted):
// beyond +-3 SD the distance from the 3 SD curve is counted in units of the
// band between 2 and 3 SD, so the long tail of the LMS curve does not shrink
// extreme values.
double adjustedZ(double y, const Lms &p)
{
    const auto sd = [&p](double z) { return p.m * std::pow(1 + p.l * p.s * z, 1 / p.l); };
    const double z = (std::pow(y / p.m, p.l) - 1) / (p.s * p.l);
    if (z > 3) {
        const double sd3 = sd(3);
        return 3 + (y - sd3) / (sd3 - sd(2));
    }
    if (z < -3) {
        const double sd3 = sd(-3);
        return -3 + (y - sd3) / (sd(-2) - sd3);
    }
    return z;
}

int wholeYears(const QDate &birth, const QDate &at)
{
    int years = at.year() - birth.year();
    if (at.month() < birth.month() || (at.month() == birth.month() && at.day() < birth.day()))
        --years;
    return years;
}

QString standardsClass(double z)
{
    if (z < -3)
        return QStringLiteral("severely wasted");
    if (z < -2)
        return QStringLiteral("wasted");
    if (z > 3)
        return QStringLiteral("obesity");
    if (z > 2)
        return QStringLiteral("overweight");
    if (z > 1)
        return QStringLiteral("at risk of overweight");
    return QStringLiteral("normal");
}

QString growthClass(double z)
{
    if (z < -3)
        return QStringLiteral("severe thinness");
    if (z < -2)
        return QStringLiteral("thinness");
    if (z > 2)
        return QStringLiteral("obesity");
    if (z > 1)
        return QStringLiteral("overweight");
    return QStringLiteral("normal");
}

} // namespace

Sex sexOf(const QString &stored)
{
    const QString text = stored.trimmed();
    if (text == QLatin1String("Male"))
        return Sex::Male;
    if (text == QLatin1String("Female"))
        return Sex::Female;
    return Sex::Unknown;
}

Reference referenceAt(const QDate &birth, const QDate &at)
{
    if (!birth.isValid() || !at.isValid() || at < birth)
        return Reference::Unknown;
    const double months = double(birth.daysTo(at)) / daysPerMonth;
    if (months < 24)
        return Reference::UnderTwo;
    if (months < 60)
        return Reference::Standards;
    if (months <= 228)
        return Reference::Growth;
    return wholeYears(birth, at) < 20 ? Reference::Nineteen : Reference::Adult;
}

std::optional<double> bmiForAgeZ(Sex sex, qint64 ageInDays, double bmi)
{
    if (sex == Sex::Unknown || !(bmi > 0) || !std::isfinite(bmi) || ageInDays < 0)
        return std::nullopt;
    const double months = double(ageInDays) / daysPerMonth;
    Lms p;
    if (months >= 24 && months < 60) {
        const LmsRow *row = find(standards2006, standards2006Rows, sex, ageInDays);
        if (!row)
            return std::nullopt;
        p = {row->l, row->m, row->s};
    } else if (months >= 60 && months <= 228) {
        const double low = std::trunc(months);
        const LmsRow *lower = find(reference2007, reference2007Rows, sex, qint64(low));
        if (!lower)
            return std::nullopt;
        p = {lower->l, lower->m, lower->s};
        const double part = months - low;
        if (part > 0) {
            const LmsRow *upper = find(reference2007, reference2007Rows, sex, qint64(low) + 1);
            if (!upper)
                return std::nullopt;
            p.l += part * (upper->l - p.l);
            p.m += part * (upper->m - p.m);
            p.s += part * (upper->s - p.s);
        }
    } else {
        return std::nullopt;
    }
    const double z = adjustedZ(bmi, p);
    if (!std::isfinite(z))
        return std::nullopt;
    return std::round(z * 100) / 100;
}

ChildClass childClass(Sex sex, const QDate &birth, const QDate &at, double bmi)
{
    ChildClass result;
    result.reference = referenceAt(birth, at);
    switch (result.reference) {
    case Reference::UnderTwo:
        result.text = QStringLiteral("under 2: BMI-for-age is not used; see weight-for-length");
        return result;
    case Reference::Nineteen:
        result.text = QStringLiteral("age 19: past the WHO 2007 reference; adult classes from 20");
        return result;
    case Reference::Unknown:
    case Reference::Adult:
        return result;
    case Reference::Standards:
    case Reference::Growth:
        break;
    }
    if (sex == Sex::Unknown) {
        result.text = QStringLiteral("no class: sex unknown");
        return result;
    }
    result.z = bmiForAgeZ(sex, birth.daysTo(at), bmi);
    if (!result.z) {
        result.text = QStringLiteral("no class: no z-score");
        return result;
    }
    const QString name = result.reference == Reference::Standards ? standardsClass(*result.z)
                                                                  : growthClass(*result.z);
    result.text = QStringLiteral("%1 (z %2)").arg(name, zText(*result.z));
    return result;
}

QString zText(double z)
{
    // A value that rounds to zero reads +0.00, never -0.00.
    const QString digits = QString::number(std::abs(z), 'f', 2);
    return (z < 0 && digits != QLatin1String("0.00") ? QLatin1Char('-') : QLatin1Char('+')) +
           digits;
}

QString referenceName(Reference reference)
{
    switch (reference) {
    case Reference::Standards:
        return QStringLiteral("WHO Child Growth Standards 2006, BMI-for-age (2-5 years)");
    case Reference::Growth:
        return QStringLiteral("WHO 2007 growth reference, BMI-for-age (5-19 years)");
    case Reference::Adult:
        return QStringLiteral("WHO adult classes (from 20 years)");
    default:
        return {};
    }
}

} // namespace merivex::who
