#include "cli/commands.h"
#include "db/database_file.h"
#include "db/int16.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace merivex::tool
{

namespace
{
QDate dayOption(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    return form.match(text).hasMatch() ? QDate::fromString(text, QStringLiteral("yyyy-MM-dd"))
                                       : QDate();
}
} // namespace

std::optional<int> readPatientPeriod(const QStringList &args, const QString &command,
                                     const QString &outName, PatientPeriod &into)
{
    QCommandLineParser parser;
    const QCommandLineOption patient(QStringLiteral("patient"), QStringLiteral("Patient."),
                                     QStringLiteral("ID"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("First day."),
                                  QStringLiteral("DATE"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("Last day."),
                                QStringLiteral("DATE"));
    parser.addOptions({patient, from, to});
    if (!parser.parse(QStringList{QStringLiteral("merivex-db")} + args))
        return usageError(parser.errorText());
    const QStringList names = parser.positionalArguments();
    if (names.isEmpty() || names.size() > 2)
        return usageError(QStringLiteral("%1 takes [PATH] %2.").arg(command, outName));
    try {
        into.id = idFromText(parser.value(patient));
    } catch (const Error &) {
        return usageError(
            QStringLiteral("%1 needs --patient ID, a patient's IdPatient.").arg(command));
    }
    if (parser.isSet(from) && !(into.first = dayOption(parser.value(from))).isValid())
        return usageError(QStringLiteral("--from takes a date as yyyy-mm-dd."));
    if (parser.isSet(to) && !(into.last = dayOption(parser.value(to))).isValid())
        return usageError(QStringLiteral("--to takes a date as yyyy-mm-dd."));
    if (into.first.isValid() && into.last.isValid() && into.first > into.last)
        return usageError(QStringLiteral("--from %1 is later than --to %2.")
                              .arg(parser.value(from), parser.value(to)));
    into.path = names.size() == 2 ? names.first() : databasePath();
    into.out = names.last();
    return std::nullopt;
}

} // namespace merivex::tool
