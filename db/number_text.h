#pragma once
// The one rule for the number a text stands for: the conversion of a text
// written to a number column, and the reader of typed heights and weights.
#include <QString>
#include <QVariant>

#include <optional>

namespace merivex
{

// The number a text stands for, or nothing when it is not one. A number is:
// optional blanks, an optional "+" or "-", decimal digits 0-9 with at most
// one decimal separator, optional blanks; at least one digit. The separator
// is "." or the decimal separator of the system locale (QLocale()), so "1.7"
// always reads and "1,7" reads under a locale that writes 1,7. Nothing else
// counts: no blanks-only or empty text, no letters, no group separators
// ("1,7,0"), no exponent, no hex, no "nan" or "inf", and no value too large
// for a double.
std::optional<double> numberFromText(const QString &text);

// Whether v holds one of the integer types.
bool isInteger(const QVariant &v);

// The finite number of any numeric value or number text: Error 13 when there
// is none, Error 6 for an infinite double.
double numberOf(const QVariant &v);

} // namespace merivex
