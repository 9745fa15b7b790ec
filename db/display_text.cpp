#include "db/display_text.h"
#include "db/field_value.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace merivex
{

namespace
{

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

// Blanks only, as the old runtime's trim did: tabs and line breaks stay.
QString trimmedText(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString displayText(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return doubleText(v.toDouble());
    return trimmedText(v.toString());
}

QString displayText(const FieldValue &v)
{
    if (const auto *text = std::get_if<std::string>(&v))
        return trimmedText(QString::fromUtf8(text->data(), qsizetype(text->size())));
    if (const auto *number = std::get_if<double>(&v))
        return doubleText(*number);
    if (const auto *number = std::get_if<qint64>(&v))
        return QString::number(*number);
    return {};
}

} // namespace merivex
