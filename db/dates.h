#pragma once
// Dates as the file stores them: day, month, year always in that order,
// joined by the system's date separator. "System" means QLocale(), the
// default locale, so that tests can switch it with QLocale::setDefault.
#include <QChar>
#include <QDate>
#include <QString>

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
