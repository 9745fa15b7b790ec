// Date reading and the date order of the history. The input is cut into
// three texts; the comparison must be a strict weak order on them (here a
// total one: equal only for equal bytes), and every date read must come back
// unchanged through its own pattern.
#include "classic/typed_input.h"
#include "db/date_format.h"
#include "db/dates.h"

#include "fuzz_support.h"

#include <QByteArray>
#include <QList>

namespace
{

int sign(int c)
{
    return (c > 0) - (c < 0);
}

void checkOrder(const QByteArray &a, const QByteArray &b, const QByteArray &c, int year)
{
    const auto cmp = [year](const QByteArray &x, const QByteArray &y) {
        return sign(merivex::dates::compareDates(x.constData(), std::size_t(x.size()),
                                                 y.constData(), std::size_t(y.size()), year));
    };
    fuzz::check(cmp(a, a) == 0, "a text is not equal to itself");
    fuzz::check(cmp(a, b) == -cmp(b, a), "not antisymmetric");
    fuzz::check((cmp(a, b) == 0) == (a == b), "different texts compare equal");
    if (cmp(a, b) <= 0 && cmp(b, c) <= 0)
        fuzz::check(cmp(a, c) <= 0, "not transitive");
    if (cmp(a, b) < 0 && cmp(b, c) < 0)
        fuzz::check(cmp(a, c) < 0, "not transitive (strict)");
}

void checkParse(const QByteArray &a, int year)
{
    const auto d = merivex::dates::parseDayMonthYear(a.constData(), std::size_t(a.size()), year);
    if (d.valid)
        fuzz::check(d.day >= 1 && d.day <= 31 && d.month >= 1 && d.month <= 12,
                    "a parsed date out of range");
}

// A date the pattern can hold: four-digit years, two-digit years within
// the window around this year, and this year alone when there is no year.
bool fits(const QDate &date, const QString &pattern)
{
    const int thisYear = merivex::dates::currentYear();
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return false;
    if (pattern.endsWith(QLatin1String("/yy")))
        return date.year() >= thisYear - 80 && date.year() <= thisYear + 19;
    if (pattern.endsWith(QLatin1String("/mm")))
        return date.year() == thisYear;
    return true;
}

void checkRoundTrip(const QString &text, const QString &pattern)
{
    const QDate date = merivex::readStoredDate(text);
    if (!fits(date, pattern))
        return;
    const QString written = merivex::formatDate(date, pattern);
    fuzz::check(merivex::readStoredDate(written) == date,
                "a date does not read back through its pattern");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first byte picks the year the two-digit window is centred on.
    const int year = size ? 1900 + data[0] % 200 : 2026;
    QList<QByteArray> parts = input.mid(size ? 1 : 0).split('\n');
    while (parts.size() < 3)
        parts.append(QByteArray());
    checkOrder(parts[0], parts[1], parts[2], year);
    for (int i = 0; i < 3; ++i)
        checkParse(parts[i], year);

    const QString text = QString::fromUtf8(parts[0]);
    const QDate typed = merivex::readDate(text);
    if (typed.isValid() && typed.year() >= 1 && typed.year() <= 9999)
        fuzz::check(merivex::readStoredDate(
                        merivex::formatDate(typed, QStringLiteral("dd/mm/yyyy"))) == typed,
                    "a typed date is not stored as itself");
    for (const char *pattern : {"dd/mm/yyyy", "dd/mm/yy"})
        checkRoundTrip(text, QString::fromLatin1(pattern));
    return 0;
}
