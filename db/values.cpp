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

// Every history row shows three doubles; Qt's 15-digit conversion falls back
// to big-number arithmetic for most quotients, so the usual magnitudes are
// written here: v is scaled by an exact power of ten in extended precision,
// whose rounding error is far below the distance to the next halfway point
// unless v lies almost on one, which is left to Qt. Writes the text of
// QString::number(v, 'g', 15) and returns its length, or 0 when it does not
// decide.
int fifteenDigits(double v, char *out)
{
    static_assert(std::numeric_limits<long double>::digits >= 64, "needs extended precision");
    const long double a = std::fabs(static_cast<long double>(v));
    if (!(a >= 1e-5L && a < 1e15L))
        return 0;
    // Powers of ten up to 10^19 are exact in a 64-bit mantissa.
    static const long double powers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                         1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                         1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
    int exponent = 0; // of the first digit, possibly one off
    if (a >= 1) {
        while (exponent < 14 && a >= powers[exponent + 1])
            ++exponent;
    } else {
        exponent = -1;
        while (exponent > -5 && a * powers[-exponent] < 1)
            --exponent;
    }
    int scale = 14 - exponent;
    long double scaled = a * powers[scale];
    if (scaled >= 1e15L && scale > 0) {
        ++exponent;
        scaled = a * powers[--scale];
    } else if (scaled < 1e14L && scale < 19) {
        --exponent;
        scaled = a * powers[++scale];
    }
    if (scaled < 1e14L || scaled >= 1e15L)
        return 0;
    long double whole = std::floor(scaled);
    const long double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5L) < 1e-3L)
        return 0;
    auto digits = static_cast<long long>(whole) + (fraction > 0.5L ? 1 : 0);
    if (digits == 1000000000000000LL) { // 9.99…95 rounds up to the next power
        digits = 100000000000000LL;
        ++exponent;
    }
    char text[15];
    // Two 32-bit halves of 7 and 8 digits: no 64-bit division per digit.
    auto high = static_cast<unsigned>(digits / 100000000);
    auto low = static_cast<unsigned>(digits % 100000000);
    for (int i = 14; i >= 7; --i, low /= 10)
        text[i] = char('0' + low % 10);
    for (int i = 6; i >= 0; --i, high /= 10)
        text[i] = char('0' + high % 10);
    int count = 15;
    while (count > 1 && text[count - 1] == '0')
        --count;

    char *p = out;
    if (v < 0)
        *p++ = '-';
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > exponent; --i)
                *p++ = '0';
            for (int i = 0; i < count; ++i)
                *p++ = text[i];
        } else {
            for (int i = 0; i <= exponent; ++i)
                *p++ = text[i];
            if (count > exponent + 1) {
                *p++ = '.';
                for (int i = exponent + 1; i < count; ++i)
                    *p++ = text[i];
            }
        }
    } else { // 1e-05 and 1e+15 only, given the range above
        *p++ = text[0];
        if (count > 1) {
            *p++ = '.';
            for (int i = 1; i < count; ++i)
                *p++ = text[i];
        }
        *p++ = 'e';
        *p++ = exponent < 0 ? '-' : '+';
        const int e = exponent < 0 ? -exponent : exponent;
        *p++ = char('0' + e / 10);
        *p++ = char('0' + e % 10);
    }
    return int(p - out);
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
    char buffer[32];
    const int size = fifteenDigits(v, buffer);
    if (size > 0)
        return QString::fromLatin1(buffer, size);
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
