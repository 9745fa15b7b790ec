#include "graph/datelabels.h"

#include "db/date_format.h"
#include "db/dates.h"

#include <QDate>

namespace
{
QString twoDigitText(int value)
{
    return QString(QChar(u'0' + value / 10)) + QChar(u'0' + value % 10);
}
} // namespace

DateLabels::DateLabels()
    : m_separator(merivex::dateSeparator()), m_thisYear(merivex::dates::currentYear())
{
}

QString DateLabels::label(const QString &storedDate) const
{
    const QDate date = merivex::readStoredDate(storedDate, m_thisYear);
    if (!date.isValid())
        return QString();
    // As formatDate(date, "dd/mm") writes it.
    return twoDigitText(date.day()) + m_separator + twoDigitText(date.month());
}
