// displayText on any value a field can hold: text keeps everything but the
// surrounding blanks, numbers read back to the value within 15 digits, and a
// value kept as the engine hands it over shows as the same value read as a
// QVariant.
#include "db/dao.h"
#include "db/display_text.h"
#include "db/field_value.h"

#include "fuzz_support.h"

#include <QByteArray>

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) {
        fuzz::check(merivex::displayText(QVariant()).isEmpty(), "null is not empty");
        return 0;
    }
    const std::uint8_t kind = data[0] % 3;
    ++data, --size;
    if (kind == 0) {
        const QString input = fuzz::text(data, size);
        const QString shown = merivex::displayText(QVariant(input));
        fuzz::check(input.contains(shown), "text is not part of the value");
        fuzz::check(!shown.startsWith(QLatin1Char(' ')) && !shown.endsWith(QLatin1Char(' ')),
                    "blanks left around the text");
        fuzz::check(shown == merivex::displayText(QVariant(shown)), "not idempotent");
        // The engine's bytes, valid UTF-8 or not, as the statement reads them.
        const std::string bytes(reinterpret_cast<const char *>(data), size);
        fuzz::check(merivex::displayText(merivex::FieldValue(bytes)) ==
                        merivex::displayText(
                            QVariant(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())))),
                    "a stored text shown differently");
    } else if (kind == 1) {
        double value = 0;
        std::memcpy(&value, data, std::min(size, sizeof value));
        const QString shown = merivex::displayText(QVariant(value));
        fuzz::check(merivex::displayText(merivex::FieldValue(value)) == shown,
                    "a stored double shown differently");
        if (std::isfinite(value)) {
            // Read back wider than a double: 15 digits of the largest
            // doubles round past their range.
            const QByteArray latin = shown.toLatin1();
            char *end = nullptr;
            const long double back = std::strtold(latin.constData(), &end);
            fuzz::check(end == latin.constData() + latin.size(),
                        "a finite number shown as no number");
            fuzz::check(std::fabs(back - value) <= std::fabs((long double)value) * 1e-14L,
                        "more than 15 digits lost");
        }
    } else {
        qint64 value = 0;
        std::memcpy(&value, data, std::min(size, sizeof value));
        fuzz::check(merivex::displayText(QVariant(value)) == QString::number(value) &&
                        merivex::displayText(merivex::FieldValue(value)) == QString::number(value),
                    "a whole number shown differently");
    }
    return 0;
}
