#pragma once
// What the user types: heights and weights, and dates in the locale's order.
#include <QDate>
#include <QString>

#include <optional>

namespace merivex
{

// A typed height or weight: the number the text stands for under the one
// rule of number texts (db/number_text.h), which a number column also obeys.
std::optional<double> readNumber(const QString &text);

// A date typed by the user, in the locale's day/month/year order
// (5/1/1970 is 5 January 1970 under a d/m/y locale); invalid when not a date.
QDate readDate(const QString &text);

} // namespace merivex
