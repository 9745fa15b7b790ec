#pragma once
// What a column stores for a value written to it.

#include <QString>
#include <QVariant>

namespace merivex
{

// What a declared column type asks of a value written to it. INTEGER columns
// are the 16-bit ids; REAL columns the measured numbers; TEXT any text.
enum class Affinity { Int16, Real, Text, Any };
Affinity affinityOf(const QString &declaredType);

// The value stored for v in a column of affinity a: qint64, double, QString
// or null. Raises Error 13 when it does not convert, Error 6 when too large.
QVariant toColumn(const QVariant &v, Affinity a);

} // namespace merivex
