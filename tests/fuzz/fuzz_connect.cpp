// The password of any connect string: part of the text, never spanning a
// ";", and the one written after "PWD=" when the string holds only that.
#include "db/dao.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = fuzz::text(data, size);
    const QString password = merivex::engine::passwordOf(input);
    fuzz::check(input.contains(password), "the password is not part of the text");
    fuzz::check(!password.contains(QLatin1Char(';')), "the password spans a ';'");
    if (!password.isEmpty())
        fuzz::check(input.contains(QLatin1String("pwd"), Qt::CaseInsensitive),
                    "a password without a PWD key");

    QString plain = input;
    plain.remove(QLatin1Char(';'));
    fuzz::check(merivex::engine::passwordOf(QStringLiteral(";PWD=") + plain) == plain,
                "the password written is not the one read");
    fuzz::check(merivex::engine::passwordOf(QStringLiteral(";pwd=") + plain +
                                            QStringLiteral(";PWD=other")) == plain,
                "not the first password of the text");
    return 0;
}
