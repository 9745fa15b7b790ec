#pragma once
// The history must list stored dates in the order of the dates they name,
// not of their characters: a collation every connection registers.
struct sqlite3;

namespace merivex::dates
{

// The collation of BMIHistory.Date.
constexpr const char *collationName = "DayMonthYear";
void registerCollation(sqlite3 *db); // raises on failure

} // namespace merivex::dates
