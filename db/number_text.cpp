#include "db/number_text.h"

#include "db/errors.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace merivex
{

std::optional<double> numberFromText(const QString &text)
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

bool isInteger(const QVariant &v)
{
    static const QList<int> integers = {QMetaType::Int,       QMetaType::LongLong, QMetaType::Short,
                                        QMetaType::Long,      QMetaType::SChar,    QMetaType::UInt,
                                        QMetaType::ULongLong, QMetaType::UShort,   QMetaType::ULong,
                                        QMetaType::UChar};
    return integers.contains(v.typeId());
}

double numberOf(const QVariant &v)
{
    if (isInteger(v))
        return v.toDouble();
    switch (v.typeId()) {
    case QMetaType::QString:
        if (const std::optional<double> d = numberFromText(v.toString()))
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

} // namespace merivex
