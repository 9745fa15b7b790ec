#pragma once
// Today's date as the application sees it: the system clock, unless a test
// has fixed the day. Every use of today (the dates stored, the two-digit
// year window) asks here.
#include <QDate>

#include <functional>

namespace Today
{

inline std::function<QDate()> &source()
{
    static std::function<QDate()> fixed;
    return fixed;
}

inline QDate date()
{
    return source() ? source()() : QDate::currentDate();
}

// An empty function goes back to the system clock.
inline void setSource(std::function<QDate()> clock)
{
    source() = std::move(clock);
}

} // namespace Today
