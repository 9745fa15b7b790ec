#include "db/dates.h"

#include "db/today.h"

#include <QRegularExpression>
#include <QVarLengthArray>

#include <string_view>

namespace merivex
{

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

namespace merivex::dates
{

int expandYear(int yy, int thisYear)
{
    int year = thisYear - thisYear % 100 + yy;
    if (year > thisYear + 19)
        year -= 100;
    else if (year < thisYear - 80)
        year += 100;
    return year;
}

namespace
{

bool isSeparator(char c)
{
    return c == '/' || c == '.' || c == '-';
}

// The engine compares each stored "dd/mm/yy" many times per sort: that form
// is read here at once; false leaves any other text to the general reader.
inline bool readShortForm(const char *text, std::size_t size, int thisYear, DayMonthYear *result)
{
    if (size != 8 || !isSeparator(text[2]) || !isSeparator(text[5]))
        return false;
    const unsigned d0 = unsigned(text[0] - '0'), d1 = unsigned(text[1] - '0');
    const unsigned m0 = unsigned(text[3] - '0'), m1 = unsigned(text[4] - '0');
    const unsigned y0 = unsigned(text[6] - '0'), y1 = unsigned(text[7] - '0');
    if (d0 > 9 || d1 > 9 || m0 > 9 || m1 > 9 || y0 > 9 || y1 > 9)
        return false;
    const int day = int(d0 * 10 + d1), month = int(m0 * 10 + m1);
    if (day < 1 || day > 31 || month < 1 || month > 12)
        *result = DayMonthYear();
    else
        *result = {true, day, month, expandYear(int(y0 * 10 + y1), thisYear)};
    return true;
}

} // namespace

long orderKey(const char *text, std::size_t size, int thisYear)
{
    DayMonthYear d;
    if (!readShortForm(text, size, thisYear, &d))
        d = parseDayMonthYear(text, size, thisYear);
    return d.valid ? d.year * 10000L + d.month * 100 + d.day : -1;
}

DayMonthYear parseDayMonthYear(const char *text, std::size_t size, int thisYear)
{
    DayMonthYear result;
    if (readShortForm(text, size, thisYear, &result))
        return result;
    // Day and month of one or two digits, a year of one, two or four, joined
    // by "/", "." or "-", blanks and tabs around. Latin-1 keeps every byte
    // beyond ASCII a character that is none of these.
    static const QRegularExpression form(QRegularExpression::anchoredPattern(QStringLiteral(
        "[ \\t]*([0-9]{1,2})[/.\\-]([0-9]{1,2})[/.\\-]([0-9]{4}|[0-9]{1,2})[ \\t]*")));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(text, qsizetype(size)));
    const int day = match.captured(1).toInt(), month = match.captured(2).toInt();
    if (!match.hasMatch() || day < 1 || day > 31 || month < 1 || month > 12)
        return result;
    const int year = match.captured(3).toInt();
    result = {true, day, month, match.capturedLength(3) <= 2 ? expandYear(year, thisYear) : year};
    return result;
}

int compareDates(const char *a, std::size_t aSize, const char *b, std::size_t bSize, int thisYear)
{
    return compareKeyed(orderKey(a, aSize, thisYear), std::string_view(a, aSize),
                        orderKey(b, bSize, thisYear), std::string_view(b, bSize));
}

int compareKeyed(long x, std::string_view a, long y, std::string_view b)
{
    if ((x < 0) != (y < 0))
        return x >= 0 ? -1 : 1;
    if (x != y)
        return x < y ? -1 : 1;
    // Equal dates written differently, and all non-dates, by their bytes.
    return a.compare(b);
}

int currentYear()
{
    return Today::date().year();
}

} // namespace merivex::dates
