#pragma once
// How a value written to a field becomes what the column stores.
#include <QString>
#include <QVariant>

namespace merivex::convert
{

// What a declared column type asks of a value. INTEGER columns are the 16-bit
// ids; REAL columns the measured numbers; TEXT columns hold any text.
enum class Affinity { Int16, Real, Text, Any };
Affinity affinityOf(const QString &declaredType);

// A finite number written as text, with "." or the locale's decimal
// separator and no group separators; blanks around it are ignored.
bool parseNumber(const QString &text, double *number);

// The value stored for v in a column of affinity a: qint64, double, QString
// or null. Raises Error 13 when it does not convert, Error 6 when too large.
QVariant toColumn(const QVariant &v, Affinity a);

// Up to 15 significant digits, no trailing zeros, never "-0".
QString doubleText(double v);

} // namespace merivex::convert
