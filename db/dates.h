#pragma once
// Dates as the file stores them, read back: day, month, year joined by "/",
// "." or "-", a two-digit year read in a window around this year.

#include <QDate>
#include <QString>

#include <cstddef>
#include <string_view>

namespace merivex
{

// A date as the file stores it: day, month, year joined by "/", "." or "-",
// blanks around; a two-digit year is read in the window around this year
// that the history's order uses. Invalid when it is anything else.
QDate readStoredDate(const QString &text);
// The same with this year given, for many dates read at once.
QDate readStoredDate(const QString &text, int thisYear);

} // namespace merivex

// These are plain C++ on bytes because the engine calls the comparison many
// times for every sorted query.
namespace merivex::dates
{

// A two-digit year yy (0..99) read in the window [thisYear - 80, thisYear + 19],
// so that dates of the past and the near future keep their order past 2029.
int expandYear(int yy, int thisYear);

struct DayMonthYear {
    bool valid = false;
    int day = 0, month = 0, year = 0;
};

// Reads "d/m/yy" or "d/m/yyyy" with "/", "." or "-" as separator and blanks
// around it; invalid when it is anything else.
DayMonthYear parseDayMonthYear(const char *text, std::size_t size, int thisYear);

// Total order: valid dates chronologically, then every other text by its bytes.
int compareDates(const char *a, std::size_t aSize, const char *b, std::size_t bSize, int thisYear);

// The same order in two steps, for sorting many texts: each text's key once
// (chronological for a date, -1 for any other text), then the comparison of
// texts with their keys.
long orderKey(const char *text, std::size_t size, int thisYear);
int compareKeyed(long x, std::string_view a, long y, std::string_view b);

// The year of Today::date(), the application's clock.
int currentYear();

} // namespace merivex::dates
