#include "db/dates.h"

#include "db/sqlite.h"
#include "db/statement.h"

#include <QLocale>
#include <QRegularExpression>
#include <QVarLengthArray>

#include <cstdint>
#include <string_view>

namespace merivex
{

namespace
{

// The locale's short date format with its quoted literals removed.
QString shortFormat()
{
    static const QRegularExpression quoted(QStringLiteral("'[^']*'?"));
    return QLocale().dateFormat(QLocale::ShortFormat).remove(quoted);
}

// Day, month and year as the letters 'd', 'M', 'y' in the order the locale
// writes them; d/m/y if unclear.
QString localeOrder()
{
    const QString format = shortFormat();
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (d < 0 || m < 0 || y < 0)
        return QStringLiteral("dMy");
    if (y < m && m < d)
        return QStringLiteral("yMd");
    return m < d ? QStringLiteral("Mdy") : QStringLiteral("dMy");
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
    int day = 0, month = 0, year = dates::currentYear();
    for (int i = 0; i < order.size(); ++i) {
        const int value = match.captured(i + 1).toInt();
        const bool short_ = match.capturedLength(i + 1) <= 2;
        if (order[i] == QLatin1Char('d'))
            day = short_ ? value : 0;
        else if (order[i] == QLatin1Char('M'))
            month = short_ ? value : 0;
        else
            year = short_ ? dates::expandYear(value, dates::currentYear()) : value;
    }
    return QDate(year, month, day); // invalid for day or month 0
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

// Chronological for dates, -1 for every other text.
inline long orderKey(const char *text, std::size_t size, int thisYear)
{
    DayMonthYear d;
    if (!readShortForm(text, size, thisYear, &d))
        d = parseDayMonthYear(text, size, thisYear);
    return d.valid ? d.year * 10000L + d.month * 100 + d.day : -1;
}

int collate(void *context, int aSize, const void *a, int bSize, const void *b)
{
    const int thisYear = int(reinterpret_cast<std::intptr_t>(context));
    return compareDates(static_cast<const char *>(a), std::size_t(aSize),
                        static_cast<const char *>(b), std::size_t(bSize), thisYear);
}

} // namespace

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
    const long x = orderKey(a, aSize, thisYear);
    const long y = orderKey(b, bSize, thisYear);
    if ((x < 0) != (y < 0))
        return x >= 0 ? -1 : 1;
    if (x != y)
        return x < y ? -1 : 1;
    // Equal dates written differently, and all non-dates, by their bytes.
    return std::string_view(a, aSize).compare(std::string_view(b, bSize));
}

int currentYear()
{
    return QDate::currentDate().year();
}

void registerCollation(sqlite3 *db)
{
    // The year is fixed per connection so one sort never sees two windows.
    void *context = reinterpret_cast<void *>(std::intptr_t(currentYear()));
    const int rc =
        sqlite3_create_collation_v2(db, collationName, SQLITE_UTF8, context, collate, nullptr);
    if (rc != SQLITE_OK)
        raise(db, rc);
}

} // namespace merivex::dates
