#pragma once
// The history must list stored dates in the order of the dates they name,
// not of their characters: a collation every connection registers.
struct sqlite3;

namespace merivex::dates
{

// The collation of BMIHistory.Date.
constexpr const char *collationName = "DayMonthYear";
// Two-digit years are read in the window around thisYear. Raises on failure.
void registerCollation(sqlite3 *db, int thisYear);

} // namespace merivex::dates
