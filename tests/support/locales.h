#pragma once
// The locales the date tests read and write in: day/month/year with "/",
// month/day/year, and day.month.year with ".". Each test case that sets one
// restores the C locale and the system clock afterwards.
#include "db/today.h"

#include <QLocale>

namespace testlocales
{

inline QLocale british()
{
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}
inline QLocale american()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
inline QLocale german()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

inline void restoreLocaleAndClock()
{
    QLocale::setDefault(QLocale::c());
    Today::setSource({});
}

} // namespace testlocales
