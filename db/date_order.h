#pragma once
// Stored dates are "dd/mm/yy" texts; the history must list them in the order
// of the dates they name, not of their characters. These helpers are plain C++
// because the engine calls the comparison many times for every sorted query.
#include <cstddef>

struct sqlite3;

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
