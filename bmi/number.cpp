#include "bmi/number.h"

#include <QLocale>

#include <cmath>

std::optional<double> readNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QString localePoint = QLocale().decimalPoint();
    QString plain; // the number in the C locale's spelling
    plain.reserve(trimmed.size());
    bool separator = false;
    bool digit = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digit = true;
            plain += c;
        } else if ((c == QLatin1Char('+') || c == QLatin1Char('-')) && i == 0) {
            plain += c;
        } else if (!separator &&
                   (c == QLatin1Char('.') || QStringView(trimmed).mid(i).startsWith(localePoint))) {
            separator = true;
            plain += QLatin1Char('.');
            if (c != QLatin1Char('.'))
                i += localePoint.size() - 1;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}
