#include "db/dates.h"

#include "db/date_order.h"

#include <QLocale>
#include <QVarLengthArray>

#include <array>

namespace merivex
{

namespace
{

enum class Part { Day, Month, Year };
using Order = std::array<Part, 3>;

// The locale's short date format with its quoted literals removed.
QString shortFormat()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString plain;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted)
            plain += c;
    }
    return plain;
}

// Day, month and year in the order the locale writes them; d/m/y if unclear.
Order localeOrder()
{
    const QString format = shortFormat();
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return {Part::Day, Part::Month, Part::Year};
    if (y < m && m < d)
        return {Part::Year, Part::Month, Part::Day};
    if (m < d)
        return {Part::Month, Part::Day, Part::Year};
    return {Part::Day, Part::Month, Part::Year};
}

struct Number {
    int value;
    int digits;
};

// The numbers of a date text: digit runs joined by exactly one of "/", ".",
// "-" or a blank. Empty when the text is anything else.
QList<Number> splitNumbers(const QString &text)
{
    const QString t = text.trimmed();
    QList<Number> numbers;
    qsizetype i = 0;
    while (i < t.size()) {
        Number n{0, 0};
        while (i < t.size() && t.at(i) >= QLatin1Char('0') && t.at(i) <= QLatin1Char('9')) {
            if (++n.digits > 4)
                return {};
            n.value = n.value * 10 + (t.at(i).unicode() - '0');
            ++i;
        }
        if (n.digits == 0)
            return {};
        numbers.append(n);
        if (i == t.size())
            break;
        const QChar separator = t.at(i++);
        if (i == t.size() || !QStringLiteral("/.- ").contains(separator))
            return {};
    }
    return numbers;
}

int fullYear(const Number &n)
{
    return n.digits <= 2 ? dates::expandYear(n.value, dates::currentYear()) : n.value;
}

QDate assemble(const QList<Number> &numbers, const QList<Part> &parts)
{
    if (numbers.size() != parts.size() || numbers.isEmpty())
        return {};
    int day = 0, month = 0, year = dates::currentYear();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        switch (parts[i]) {
        case Part::Day:
            day = numbers[i].digits <= 2 ? numbers[i].value : 0;
            break;
        case Part::Month:
            month = numbers[i].digits <= 2 ? numbers[i].value : 0;
            break;
        case Part::Year:
            year = fullYear(numbers[i]);
            break;
        }
    }
    return QDate(year, month, day); // invalid for day or month 0
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

QChar dateSeparator()
{
    for (QChar c : shortFormat()) {
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

QDate readDate(const QString &text)
{
    const QList<Number> numbers = splitNumbers(text);
    if (numbers.size() == 3 && numbers[0].digits >= 3) // written year first
        return assemble(numbers, {Part::Year, Part::Month, Part::Day});
    const Order order = localeOrder();
    if (numbers.size() == 3)
        return assemble(numbers, {order[0], order[1], order[2]});
    if (numbers.size() == 2) { // day and month of this year
        QList<Part> parts;
        for (Part p : order) {
            if (p != Part::Year)
                parts.append(p);
        }
        return assemble(numbers, parts);
    }
    return {};
}

QDate readStoredDate(const QString &text)
{
    return readStoredDate(text, dates::currentYear());
}

QDate readStoredDate(const QString &text, int thisYear)
{
    // Characters beyond ASCII become a byte that is no digit, blank or
    // separator, so the text keeps its length and reads as no date.
    QVarLengthArray<char, 32> bytes(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = text.at(i).unicode() < 0x80 ? char(text.at(i).unicode()) : '\x80';
    const dates::DayMonthYear d =
        dates::parseDayMonthYear(bytes.constData(), std::size_t(bytes.size()), thisYear);
    return d.valid ? QDate(d.year, d.month, d.day) : QDate();
}

} // namespace merivex
