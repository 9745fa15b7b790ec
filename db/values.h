#pragma once
// Values as the windows read, show and store them: one reader for typed
// numbers, the display text of a value, the 16-bit ids, and what a column
// stores for a value written to it.
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
std::optional<double> readNumber(const QString &text);

// Display text of a value: "" when null, else its text without leading and
// trailing blanks; doubles with up to 15 significant digits and no trailing
// zeros ("22.4913494809689", "23", "22.5").
QString displayText(const QVariant &v);

// A value read from an id column as a signed 16-bit integer: Error 6 when
// outside -32768..32767, Error 13 when null or not a whole number.
qint16 toInt16(const QVariant &v);

// a + b as a signed 16-bit integer: Error 6 instead of wrapping around.
qint16 addInt16(qint16 a, int b);

// What a declared column type asks of a value written to it. INTEGER columns
// are the 16-bit ids; REAL columns the measured numbers; TEXT any text.
enum class Affinity { Int16, Real, Text, Any };
Affinity affinityOf(const QString &declaredType);

// The value stored for v in a column of affinity a: qint64, double, QString
// or null. Raises Error 13 when it does not convert, Error 6 when too large.
QVariant toColumn(const QVariant &v, Affinity a);

} // namespace merivex
