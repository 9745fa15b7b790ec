#include "db/int16.h"

#include "db/errors.h"
#include "db/number_text.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace merivex
{

qint16 toInt16(const QVariant &v)
{
    if (v.isNull())
        fail(ErrorNumber::TypeMismatch);
    // Every integer converts to a double exactly within 16 bits, and to one
    // outside them when it is not.
    const double d = numberOf(v);
    if (d != std::floor(d))
        fail(ErrorNumber::TypeMismatch);
    if (d < std::numeric_limits<qint16>::min() || d > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
    return qint16(d);
}

qint16 idFromText(const QString &text)
{
    static const QRegularExpression whole(
        QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]+")));
    if (!whole.match(text).hasMatch())
        fail(ErrorNumber::TypeMismatch);
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
    return qint16(value);
}

qint16 addInt16(qint16 a, int b)
{
    const qint64 sum = qint64(a) + b;
    if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
    return qint16(sum);
}

} // namespace merivex
