#include "graph/datelabels.h"

#include "db/dao.h"
#include "db/dates.h"

#include <QDate>

namespace
{
int twoDigits(const QString &text, int at)
{
    const QChar tens = text.at(at);
    const QChar ones = text.at(at + 1);
    if (!tens.isDigit() || !ones.isDigit() || tens.unicode() > '9' || ones.unicode() > '9')
        return -1;
    return (tens.unicode() - '0') * 10 + (ones.unicode() - '0');
}

QString twoDigitText(int value)
{
    return QString(QChar(u'0' + value / 10)) + QChar(u'0' + value % 10);
}
} // namespace

DateLabels::DateLabels() : m_separator(merivex::dateSeparator()) {}

int DateLabels::fullYear(int yy)
{
    auto found = m_years.constFind(yy);
    if (found != m_years.constEnd())
        return *found;
    const QString probe =
        QStringLiteral("01") + m_separator + QStringLiteral("01") + m_separator + twoDigitText(yy);
    const QDate date = merivex::readStoredDate(probe);
    const int year = date.isValid() ? date.year() : 0;
    m_years.insert(yy, year);
    return year;
}

QString DateLabels::label(const QVariant &storedDate)
{
    const QString text = merivex::displayText(storedDate);
    QDate date;
    const bool asWritten =
        text.size() == 8 && text.at(2) == m_separator && text.at(5) == m_separator;
    const int day = asWritten ? twoDigits(text, 0) : -1;
    const int month = asWritten ? twoDigits(text, 3) : -1;
    const int yy = asWritten ? twoDigits(text, 6) : -1;
    if (day >= 0 && month >= 0 && yy >= 0) {
        if (const int year = fullYear(yy))
            date = QDate(year, month, day);
    } else {
        date = merivex::readStoredDate(text);
    }
    if (!date.isValid())
        return QString();
    // As formatDate(date, "dd/mm") writes it.
    return twoDigitText(date.day()) + m_separator + twoDigitText(date.month());
}
