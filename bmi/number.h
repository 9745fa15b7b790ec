#pragma once
// Reading the height and weight a user types.
#include <QString>

#include <optional>

// The number a text stands for, or nothing when it is not one. A number is:
// optional blanks, an optional "+" or "-", decimal digits 0-9 with at most
// one decimal separator, optional blanks; at least one digit. The separator
// is "." or the decimal separator of the system locale (QLocale()), so "1.7"
// always reads and "1,7" reads under a locale that writes 1,7. Nothing else
// counts: no blanks-only or empty text, no letters, no group separators
// ("1,7,0"), no exponent, no hex, no "nan" or "inf", and no value too large
// for a double.
std::optional<double> readNumber(const QString &text);

// Rounds to the nearest whole number, a tie to the even neighbour
// (22.5 -> 22, 23.5 -> 24), whatever the floating-point rounding mode.
double roundHalfEven(double value);
