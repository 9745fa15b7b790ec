#include "classic/typed_input.h"

#include "db/date_format.h"
#include "db/dates.h"
#include "db/number_text.h"

#include <QRegularExpression>

namespace merivex
{

namespace
{

// Day, month and year as the letters 'd', 'M', 'y' in the order the locale
// writes them; d/m/y if unclear.
QString localeOrder()
{
    const QString format = shortDateFormat();
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return QStringLiteral("dMy");
    if (y < m && m < d)
        return QStringLiteral("yMd");
    return m < d ? QStringLiteral("Mdy") : QStringLiteral("dMy");
}

} // namespace

std::optional<double> readNumber(const QString &text)
{
    return numberFromText(text);
}

QDate readDate(const QString &text)
{
    // Two or three runs of up to four digits, joined by exactly one of "/",
    // ".", "-" or a blank.
    static const QRegularExpression date(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{1,4})[/.\\- ]([0-9]{1,4})(?:[/.\\- ]([0-9]{1,4}))?")));
    const QRegularExpressionMatch match = date.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    const bool three = match.lastCapturedIndex() == 3;
    QString order = three && match.capturedLength(1) >= 3 ? QStringLiteral("yMd") // year first
                                                          : localeOrder();
    if (!three) // day and month of this year
        order.remove(QLatin1Char('y'));
    const int thisYear = dates::currentYear();
    int day = 0, month = 0, year = thisYear;
    for (int i = 0; i < order.size(); ++i) {
        const int value = match.captured(i + 1).toInt();
        const bool short_ = match.capturedLength(i + 1) <= 2;
        if (order[i] == QLatin1Char('d'))
            day = short_ ? value : 0;
        else if (order[i] == QLatin1Char('M'))
            month = short_ ? value : 0;
        else
            year = short_ ? dates::expandYear(value, thisYear) : value;
    }
    return QDate(year, month, day); // invalid for day or month 0
}

} // namespace merivex
