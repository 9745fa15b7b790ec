#pragma once
// Dates as the file stores them: day, month, year always in that order,
// joined by the system's date separator. "System" means QLocale(), the
// default locale, so that tests can switch it with QLocale::setDefault.
#include <QChar>
#include <QDate>
#include <QString>

#include <cstddef>

struct sqlite3;

namespace merivex
{

// The first of "/", ".", "-" in the locale's short date format, else "/".
QChar dateSeparator();

// pattern is "dd/mm/yyyy", "dd/mm/yy" or "dd/mm"; "/" stands for
// dateSeparator(). An invalid date gives "".
QString formatDate(const QDate &d, const QString &pattern);

// A date typed by the user, in the locale's day/month/year order
// (5/1/1970 is 5 January 1970 under a d/m/y locale); invalid when not a date.
QDate readDate(const QString &text);

// A date as the file stores it: day, month, year joined by "/", "." or "-",
// blanks around; a two-digit year is read in the window around this year
// that the history's order uses. Invalid when it is anything else.
QDate readStoredDate(const QString &text);
// The same with this year given, for many dates read at once.
QDate readStoredDate(const QString &text, int thisYear);

} // namespace merivex

// The history must list stored dates in the order of the dates they name,
// not of their characters. These are plain C++ on bytes because the engine
// calls the comparison many times for every sorted query.
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

// The collation of BMIHistory.Date; every connection registers it.
constexpr const char *collationName = "DayMonthYear";
void registerCollation(sqlite3 *db); // raises on failure

int currentYear();

} // namespace merivex::dates
