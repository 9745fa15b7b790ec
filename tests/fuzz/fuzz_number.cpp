// readNumber on any text: never crashes, accepts only finite numbers with a
// digit in them, ignores surrounding blanks, and reads its own output back.
#include "bmi/number.h"
#include "classic/typed_input.h"
#include "fuzz_support.h"

#include <QLocale>

#include <cmath>

using merivex::readNumber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = fuzz::text(data, size);
    const std::optional<double> value = readNumber(input);
    const std::optional<double> padded =
        readNumber(QStringLiteral("  ") + input + QStringLiteral(" "));
    fuzz::check(value == padded, "surrounding blanks change the reading");
    if (!value)
        return 0;
    fuzz::check(std::isfinite(*value), "a number that is not finite");
    bool digit = false;
    for (QChar c : input)
        digit = digit || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    fuzz::check(digit, "a number without a digit");
    fuzz::check(readNumber(QString::number(*value, 'f', QLocale::FloatingPointShortest)) == value,
                "its own shortest spelling reads differently");
    const double rounded = roundHalfEven(*value);
    fuzz::check(std::floor(rounded) == rounded && std::fabs(rounded - *value) <= 0.5,
                "rounding is not to a neighbouring whole number");
    return 0;
}
