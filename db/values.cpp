#include "db/values.h"

#include "db/errors.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace merivex
{

namespace
{

bool isInteger(const QVariant &v)
{
    static const QList<int> integers = {QMetaType::Int,       QMetaType::LongLong, QMetaType::Short,
                                        QMetaType::Long,      QMetaType::SChar,    QMetaType::UInt,
                                        QMetaType::ULongLong, QMetaType::UShort,   QMetaType::ULong,
                                        QMetaType::UChar};
    return integers.contains(v.typeId());
}

// A number from any numeric value or number text; Error 13 when there is none.
double toFiniteDouble(const QVariant &v)
{
    if (isInteger(v))
        return v.toDouble();
    switch (v.typeId()) {
    case QMetaType::QString:
        if (const std::optional<double> d = readNumber(v.toString()))
            return *d;
        fail(ErrorNumber::TypeMismatch);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isnan(d))
            fail(ErrorNumber::TypeMismatch);
        if (std::isinf(d))
            fail(ErrorNumber::Overflow);
        return d;
    }
    default:
        fail(ErrorNumber::TypeMismatch);
    }
}

// Whether v lies exactly halfway between two 15-digit texts, that is its
// exact decimal form has 16 significant digits and ends in 5.
bool halfway(double v)
{
    int e = 0;
    const double f = std::frexp(std::fabs(v), &e);
    const auto m = static_cast<std::uint64_t>(std::ldexp(f, 53));
    const int e2 = e - 53 + std::countr_zero(m); // |v| is an odd number times 2^e2
    if (e2 >= 0) { // a whole number: the digits after the 15th are 5, 0, 0 ...
        if (std::fabs(v) < 1e15)
            return false;
        char digits[320];
        char *end =
            std::to_chars(digits, digits + sizeof digits, std::fabs(v), std::chars_format::fixed)
                .ptr;
        return digits[15] == '5' && std::all_of(digits + 16, end, [](char c) { return c == '0'; });
    }
    // 2^e2 has -e2 decimals, the last a 5: 1 - e2 + floor(log10 |v|) digits.
    if (e > 0 && e2 < -15)
        return false;
    return 1 - e2 + int(std::floor(std::log10(std::fabs(v)))) == 16;
}

// Up to 15 significant digits, no trailing zeros, never "-0": the text of
// QString::number(v, 'g', 15). std::to_chars rounds the exact value, a tie to
// even, where Qt rounds a tie away from zero: a value exactly halfway is moved
// one step outwards first, which changes nothing else at 15 digits.
QString doubleText(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    if (!std::isfinite(v))
        return QString::number(v, 'g', 15);
    if (halfway(v))
        v = std::nextafter(v, v > 0 ? HUGE_VAL : -HUGE_VAL);
    char text[32];
    const char *end =
        std::to_chars(text, text + sizeof text, v, std::chars_format::general, 15).ptr;
    return QString::fromLatin1(text, end - text);
}

} // namespace

std::optional<double> readNumber(const QString &text)
{
    // In the C locale's spelling: an optional sign, then digits with at most
    // one point; the look-ahead asks for at least one digit.
    static const QRegularExpression number(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?(?=\\.?[0-9])[0-9]*\\.?[0-9]*")));
    QString plain = text.trimmed();
    plain.replace(QLocale().decimalPoint(), QLatin1String("."));
    bool ok = false;
    const double value = number.match(plain).hasMatch() ? QLocale::c().toDouble(plain, &ok) : 0;
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString displayText(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return doubleText(v.toDouble());
    const QString text = v.toString();
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
        fail(ErrorNumber::TypeMismatch);
    // Every integer converts to a double exactly within 16 bits, and to one
    // outside them when it is not.
    const double d = toFiniteDouble(v);
    if (d != std::floor(d))
        fail(ErrorNumber::TypeMismatch);
    if (d < std::numeric_limits<qint16>::min() || d > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
    return qint16(d);
}

qint16 addInt16(qint16 a, int b)
{
    const qint64 sum = qint64(a) + b;
    if (sum < std::numeric_limits<qint16>::min() || sum > std::numeric_limits<qint16>::max())
        fail(ErrorNumber::Overflow);
    return qint16(sum);
}

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
        return v.typeId() == QMetaType::QString ? v : QVariant(displayText(v));
    case Affinity::Any:
        break;
    }
    if (v.typeId() == QMetaType::QString)
        return v;
    if (isInteger(v))
        return QVariant(v.toLongLong());
    return QVariant(toFiniteDouble(v));
}

} // namespace merivex
