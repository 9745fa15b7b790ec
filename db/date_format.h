#pragma once
// Dates as the file stores them: day, month, year always in that order,
// joined by the system's date separator. "System" means QLocale(), the
// default locale, so that tests can switch it with QLocale::setDefault.
#include <QChar>
#include <QDate>
#include <QString>

namespace merivex
{

// The locale's short date format with its quoted literals removed.
QString shortDateFormat();

// The first of "/", ".", "-" in the locale's short date format, else "/".
QChar dateSeparator();

// pattern is "dd/mm/yyyy", "dd/mm/yy" or "dd/mm"; "/" stands for
// dateSeparator(). An invalid date gives "".
QString formatDate(const QDate &d, const QString &pattern);

} // namespace merivex
