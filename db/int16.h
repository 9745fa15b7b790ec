#pragma once
// The ids and counters are signed 16-bit numbers: past their range is an
// error (6, Overflow), never a wrap-around.
#include <QVariant>

namespace merivex
{

// A value read from an id column as a signed 16-bit integer: Error 6 when
// outside -32768..32767, Error 13 when null or not a whole number.
qint16 toInt16(const QVariant &v);

// The id a text names, such as the current patient's: Error 13 unless it is
// a whole number ("-" and digits only), Error 6 when outside 16 bits.
qint16 idFromText(const QString &text);

// a + b as a signed 16-bit integer: Error 6 instead of wrapping around.
qint16 addInt16(qint16 a, int b);

} // namespace merivex
