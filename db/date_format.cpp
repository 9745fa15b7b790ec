#include "db/date_format.h"

#include <QLocale>
#include <QRegularExpression>

namespace merivex
{

namespace
{

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QString shortDateFormat()
{
    static const QRegularExpression quoted(QStringLiteral("'[^']*'?"));
    return QLocale().dateFormat(QLocale::ShortFormat).remove(quoted);
}

QChar dateSeparator()
{
    for (QChar c : shortDateFormat()) {
        if (c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-'))
            return c;
    }
    return QLatin1Char('/');
}

QString formatDate(const QDate &d, const QString &pattern)
{
    if (!d.isValid())
        return {};
    const QChar separator = dateSeparator();
    QString text = twoDigits(d.day()) + separator + twoDigits(d.month());
    if (pattern.endsWith(QLatin1String("yyyy")))
        text += separator + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    else if (pattern.endsWith(QLatin1String("yy")))
        text += separator + twoDigits(((d.year() % 100) + 100) % 100);
    return text;
}

} // namespace merivex
