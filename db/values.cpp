#include "db/conversion.h"
#include "db/dao.h"
#include "db/failures.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace merivex
{

namespace
{

bool isSigned(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::SChar:
        return true;
    default:
        return false;
    }
}

bool isUnsigned(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// A number from any numeric or text value; Error 13 when there is none.
double toFiniteDouble(const QVariant &v)
{
    double d = 0;
    if (isSigned(v) || isUnsigned(v))
        return v.toDouble();
    switch (v.typeId()) {
    case QMetaType::QString:
        if (!convert::parseNumber(v.toString(), &d))
            fail::typeMismatch();
        return d;
    case QMetaType::Double:
    case QMetaType::Float:
        d = v.toDouble();
        if (std::isnan(d))
            fail::typeMismatch();
        if (std::isinf(d))
            fail::overflow();
        return d;
    default:
        fail::typeMismatch();
    }
}

} // namespace

namespace convert
{

Affinity affinityOf(const QString &declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return Affinity::Int16;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("TEXT")))
        return Affinity::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return Affinity::Real;
    return Affinity::Any;
}

bool parseNumber(const QString &text, double *number)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (QLocale locale : {QLocale::c(), QLocale()}) {
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double v = locale.toDouble(t, &ok);
        if (ok && std::isfinite(v)) {
            *number = v;
            return true;
        }
    }
    return false;
}

QString doubleText(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    return QString::number(v, 'g', 15);
}

QVariant toColumn(const QVariant &v, Affinity a)
{
    if (v.isNull())
        return {};
    switch (a) {
    case Affinity::Int16:
        return QVariant(qint64(toInt16(v)));
    case Affinity::Real:
        return QVariant(toFiniteDouble(v));
    case Affinity::Text:
        if (v.typeId() == QMetaType::QString)
            return v;
        return QVariant(displayText(v));
    case Affinity::Any:
        break;
    }
    if (v.typeId() == QMetaType::QString)
        return v;
    if (isSigned(v) || isUnsigned(v))
        return QVariant(v.toLongLong());
    return QVariant(toFiniteDouble(v));
}

} // namespace convert

QString displayText(const QVariant &v)
{
    if (v.isNull())
        return {};
    QString text;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return convert::doubleText(v.toDouble());
    default:
        text = v.toString();
    }
    // Blanks only, as the old runtime's trim did: tabs and line breaks stay.
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

qint16 toInt16(const QVariant &v)
{
    if (v.isNull())
        fail::typeMismatch();
    constexpr qint64 lowest = std::numeric_limits<qint16>::min();
    constexpr qint64 highest = std::numeric_limits<qint16>::max();
    if (isUnsigned(v)) {
        if (v.toULongLong() > quint64(highest))
            fail::overflow();
        return qint16(v.toULongLong());
    }
    if (isSigned(v)) {
        const qint64 i = v.toLongLong();
        if (i < lowest || i > highest)
            fail::overflow();
        return qint16(i);
    }
    const double d = toFiniteDouble(v);
    if (d != std::floor(d))
        fail::typeMismatch();
    if (d < lowest || d > highest)
        fail::overflow();
    return qint16(d);
}

qint16 addInt16(qint16 a, int b)
{
    const qint64 sum = qint64(a) + b;
    if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max())
        fail::overflow();
    return qint16(sum);
}

} // namespace merivex
