#include "cli/import_formats.h"

#include "cli/fhir.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <functional>

namespace merivex::import
{

namespace
{

QString lastLineCut(int line)
{
    return QStringLiteral("line %1, its last, ends without a line break").arg(line);
}

// One CSV record (RFC 4180: quoted fields may hold commas, quotes and line
// breaks) and the line it starts on.
struct Record {
    int line = 0;
    QStringList fields;
};

class CsvReader
{
public:
    explicit CsvReader(const QString &text) : m_text(text) {}

    bool next(Record &record)
    {
        // Blank lines are no records.
        while (m_at < m_text.size() &&
               (m_text[m_at] == QLatin1Char('\n') || m_text[m_at] == QLatin1Char('\r'))) {
            if (m_text[m_at] == QLatin1Char('\n'))
                ++m_line;
            ++m_at;
        }
        if (m_at >= m_text.size())
            return false;
        record = Record{m_line, {}};
        QString field;
        bool quoted = false, ended = false;
        int quoteLine = 0;
        for (; m_at < m_text.size(); ++m_at) {
            const QChar c = m_text[m_at];
            if (quoted) {
                if (c == QLatin1Char('"') && m_at + 1 < m_text.size() &&
                    m_text[m_at + 1] == QLatin1Char('"')) {
                    field += c;
                    ++m_at;
                } else if (c == QLatin1Char('"')) {
                    quoted = false;
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
            } else if (c == QLatin1Char('"')) {
                quoted = true;
                quoteLine = m_line;
            } else if (c == QLatin1Char(',')) {
                record.fields.append(field);
                field.clear();
            } else if (c == QLatin1Char('\n')) {
                ++m_line;
                ++m_at;
                ended = true;
                break;
            } else if (c != QLatin1Char('\r')) {
                field += c;
            }
        }
        record.fields.append(field);
        if (quoted)
            m_cut = QStringLiteral("the quote opened in line %1 is never closed").arg(quoteLine);
        else if (!ended)
            m_cut = lastLineCut(record.line);
        return true;
    }

    const QString &cut() const { return m_cut; }

private:
    const QString &m_text;
    qsizetype m_at = 0;
    int m_line = 1;
    QString m_cut;
};

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "yyyy-MM-dd" alone or before a time ("T08:00", " 08:00"); openScale's
// older "dd.MM.yyyy" likewise. The time of day is not stored.
QDate dateOf(const QString &text)
{
    const QString t = text.trimmed();
    const QString day = t.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('T'), 0, 0);
    QDate date = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(day, QStringLiteral("dd.MM.yyyy"));
    return date;
}

// Fills row's date and weight from two texts.
void readMeasurement(Row &row, const QString &date, const QString &weight)
{
    row.date = dateOf(date);
    const std::optional<double> w = number(weight);
    if (weight.trimmed().isEmpty() || (w && *w <= 0))
        row.skip = Skip::NoWeight;
    else if (!w || !row.date.isValid())
        row.skip = Skip::Unreadable;
    else
        row.weight = *w;
    if (row.skip == Skip::NoWeight && !row.date.isValid())
        row.skip = Skip::Unreadable;
}

struct CsvFormat {
    const char *name;
    bool kilograms;
    std::function<bool(const QStringList &)> matches;
    QStringList dateAndWeight; // the columns read, by name
};

const QStringList merivexHeader = {QStringLiteral("IdBMI"),      QStringLiteral("IdPatient"),
                                   QStringLiteral("Name"),       QStringLiteral("Date"),
                                   QStringLiteral("DateStored"), QStringLiteral("Height"),
                                   QStringLiteral("Weight"),     QStringLiteral("BMI")};

bool exactly(const QStringList &header, const QStringList &wanted)
{
    return header == wanted;
}

const QList<CsvFormat> &csvFormats()
{
    static const QList<CsvFormat> formats = {
        {"openScale 2.x CSV",
         true,
         [](const QStringList &h) {
             return h.contains(QStringLiteral("dateTime")) && h.contains(QStringLiteral("weight"));
         },
         {QStringLiteral("dateTime"), QStringLiteral("weight")}},
        {"openScale 3.x CSV",
         false,
         [](const QStringList &h) {
             return h.size() > 2 && h[0] == QLatin1String("DATE") &&
                    h[1] == QLatin1String("TIME") && h.contains(QStringLiteral("WEIGHT"));
         },
         {QStringLiteral("DATE"), QStringLiteral("WEIGHT")}},
        {"Google Fit Takeout Daily Summaries",
         true,
         [](const QStringList &h) {
             return h.contains(QStringLiteral("Date")) &&
                    h.contains(QStringLiteral("Average weight (kg)"));
         },
         {QStringLiteral("Date"), QStringLiteral("Average weight (kg)")}},
        {"wger CSV",
         false,
         [](const QStringList &h) {
             return exactly(h, {QStringLiteral("Date"), QStringLiteral("Weight")});
         },
         {QStringLiteral("Date"), QStringLiteral("Weight")}},
        {"GNOME Health CSV",
         false,
         [](const QStringList &h) {
             return exactly(h, {QStringLiteral("date"), QStringLiteral("weight")});
         },
         {QStringLiteral("date"), QStringLiteral("weight")}},
    };
    return formats;
}

void readMerivex(CsvReader &csv, History &history, qsizetype columns)
{
    history.format = QStringLiteral("Merivex history.csv");
    history.kilograms = true;
    history.heights = true;
    const qsizetype patient = merivexHeader.indexOf(QStringLiteral("IdPatient"));
    const qsizetype date = merivexHeader.indexOf(QStringLiteral("Date"));
    const qsizetype height = merivexHeader.indexOf(QStringLiteral("Height"));
    const qsizetype weight = merivexHeader.indexOf(QStringLiteral("Weight"));
    Record record;
    while (csv.next(record)) {
        Row row;
        row.line = record.line;
        if (record.fields.size() != columns) {
            row.skip = Skip::Unreadable;
        } else {
            readMeasurement(row, record.fields[date], record.fields[weight]);
            const std::optional<double> h = number(record.fields[height]);
            bool ok = false;
            row.patient = record.fields[patient].toInt(&ok);
            if (row.skip == Skip::None && (!h || *h <= 0 || !ok))
                row.skip = Skip::Unreadable;
            row.height = h;
        }
        history.rows.append(row);
    }
}

void readTrale(const QString &text, History &history)
{
    history.format = QStringLiteral("trale");
    history.kilograms = true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.last().trimmed().isEmpty())
        history.cut = lastLineCut(int(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Row row;
        row.line = int(i + 1);
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 2)
            row.skip = Skip::Unreadable;
        else
            readMeasurement(row, fields[0], fields[1]);
        history.rows.append(row);
    }
}

} // namespace

History readHistory(const QByteArray &data)
{
    if (fhir::looksLikeJson(data))
        return fhir::readBundle(data);
    QString text = QString::fromUtf8(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    History history;
    history.firstLine = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (history.firstLine == QLatin1String("# This file was created with trale.")) {
        readTrale(text, history);
        return history;
    }
    CsvReader csv(text);
    Record header;
    if (!csv.next(header))
        return history;
    // The export gained WHO's z-score as a last column; files from before
    // it read as well.
    if (exactly(header.fields, merivexHeader) ||
        exactly(header.fields, merivexHeader + QStringList{QStringLiteral("BMIForAgeZ")})) {
        readMerivex(csv, history, header.fields.size());
        history.cut = csv.cut();
        return history;
    }
    for (const CsvFormat &format : csvFormats()) {
        if (!format.matches(header.fields))
            continue;
        history.format = QLatin1String(format.name);
        history.kilograms = format.kilograms;
        const qsizetype date = header.fields.indexOf(format.dateAndWeight[0]);
        const qsizetype weight = header.fields.indexOf(format.dateAndWeight[1]);
        Record record;
        while (csv.next(record)) {
            Row row;
            row.line = record.line;
            if (record.fields.size() <= qMax(date, weight))
                row.skip = Skip::Unreadable;
            else
                readMeasurement(row, record.fields[date], record.fields[weight]);
            history.rows.append(row);
        }
        history.cut = csv.cut();
        return history;
    }
    return history;
}

} // namespace merivex::import
