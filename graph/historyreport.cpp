#include "graph/historyreport.h"

#include "db/bmi_for_age.h"
#include "db/date_format.h"
#include "db/dates.h"
#include "db/display_text.h"
#include "db/history_sql.h"
#include "db/statements.h"
#include "db/today.h"
#include "graph/datelabels.h"
#include "graph/graphlite.h"
#include "graph/trend.h"
#include "graph/trendchart.h"

#include <QChart>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <cmath>
#include <limits>

using namespace merivex;

namespace
{

// Everything is laid out in points (1/72 inch) on an A4 page with 15 mm margins.
constexpr double Points = 72.0;
constexpr double RowHeight = 13;
constexpr double ChartHeight = 240;
const QString Family = QStringLiteral("DejaVu Sans");

std::optional<int> ageAt(const QDate &birth, const QDate &at)
{
    if (!birth.isValid() || !at.isValid() || at < birth)
        return std::nullopt;
    int years = at.year() - birth.year();
    if (at.month() < birth.month() || (at.month() == birth.month() && at.day() < birth.day()))
        --years;
    return years;
}

QString dayText(const QDate &date)
{
    return formatDate(date, QStringLiteral("dd/mm/yyyy"));
}

QString shownDate(const ReportMeasurement &row)
{
    return row.date.isValid() ? dayText(row.date) : row.stored;
}

QString oneDecimal(double value)
{
    return QString::number(value, 'f', 1);
}

// A value as printed, to one decimal up to below limit, else as the bound it
// passes: a weight of 1e308 kg would print 300 digits across the columns.
QString boundedText(double value, double limit, const QString &text)
{
    if (std::abs(value) < limit)
        return text;
    const QString bound = QString::number(limit - 1, 'f', 0);
    return value > 0 ? QStringLiteral("> ") + bound : QStringLiteral("< -") + bound;
}

QString bmiText(double bmi)
{
    return boundedText(bmi, 1000, oneDecimal(bmi));
}

// What a person can measure and weigh, generously: a height typed in
// centimetres, or a weight of 1e308 kg, is no person's, and its BMI no class.
bool personSized(const QString &height, const QString &weight)
{
    bool heightRead = false, weightRead = false;
    const double metres = QLocale::c().toDouble(height, &heightRead);
    const double kilograms = QLocale::c().toDouble(weight, &weightRead);
    return heightRead && weightRead && metres > 0.2 && metres <= 3 && kilograms > 0.2 &&
           kilograms <= 1000;
}

QString signedOneDecimal(double value)
{
    const QString text = oneDecimal(value);
    return boundedText(value, 1e6, value >= 0.05 ? QLatin1Char('+') + text : text);
}

QFont font(double size, bool bold = false)
{
    QFont f(Family);
    f.setPixelSize(qMax(1, qRound(size)));
    f.setBold(bold);
    return f;
}

struct Column {
    const char *heading;
    double width;
};
// 510 points, the page between the margins: the class column has the room
// of WHO's longest sentence, the under-2 one.
const Column columns[] = {{"Date", 58},
                          {"Height (m)", 60},
                          {"Weight (kg)", 64},
                          {"BMI", 38},
                          {"Class (WHO)", 290}};

class Pages
{
public:
    Pages(const HistoryReport &report, QPagedPaintDevice &device, QPainter &painter)
        : m_report(report), m_device(device), m_painter(painter), m_sex(who::sexOf(report.sex))
    {
        const double scale = device.logicalDpiX() / Points;
        m_width = device.width() / scale;
        m_height = device.height() / scale;
        painter.scale(scale, scale);
    }

    int paint()
    {
        const double firstTable = header();
        const double tableTop = 0;
        const int rowsFirst = qMax(0, int((bodyBottom() - firstTable) / RowHeight) - 1);
        const int rowsLater = int((bodyBottom() - tableTop) / RowHeight) - 1;
        const qsizetype rest = qMax<qsizetype>(0, m_report.rows.size() - rowsFirst);
        m_pages = 1 + int((rest + rowsLater - 1) / rowsLater);
        qsizetype next = 0;
        double y = firstTable;
        for (int page = 1; page <= m_pages; ++page) {
            if (page > 1) {
                m_device.newPage();
                y = tableTop;
            }
            footer(page);
            y = tableHeading(y);
            const int capacity = page == 1 ? rowsFirst : rowsLater;
            for (int i = 0; i < capacity && next < m_report.rows.size(); ++i, ++next)
                y = tableRow(m_report.rows[next], y);
        }
        return m_pages;
    }

private:
    double bodyBottom() const { return m_height - 2 * RowHeight; }

    // One line, shortened with "…" to the width: text from the file (a name,
    // a birth date) never runs off the page or over another column.
    double line(const QString &text, double y, const QFont &f)
    {
        m_painter.setFont(f);
        const QFontMetricsF metrics(f);
        m_painter.drawText(QRectF(0, y, m_width, metrics.height()),
                           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           metrics.elidedText(text, Qt::ElideRight, m_width));
        return y + metrics.height() * 1.3;
    }

    // The name wraps over up to three lines, and is shortened past them.
    double name(double y)
    {
        const QFont f = font(14, true);
        m_painter.setFont(f);
        const QFontMetricsF metrics(f);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
        // Lines break between letters, so a little room is left for that.
        const QString text = metrics.elidedText(m_report.name, Qt::ElideRight, 2.8 * m_width);
        const QRectF place(0, y, m_width, 3 * metrics.lineSpacing());
        const QRectF used = m_painter.boundingRect(place, flags, text);
        m_painter.drawText(place, flags, text);
        return y + qMin(used.height(), place.height()) + metrics.height() * 0.3;
    }

    double header()
    {
        const HistoryReport &r = m_report;
        double y = line(QStringLiteral("Body weight report"), 0, font(16, true));
        y = name(y);
        const std::optional<int> age = ageAt(r.birthDate, r.today);
        y = line(QStringLiteral("Sex: %1    Birth date: %2    Age: %3")
                     .arg(r.sex, r.birthDate.isValid() ? dayText(r.birthDate) : r.birthDateText,
                          age ? QString::number(*age) : QStringLiteral("unknown")),
                 y, font(10));
        y = line(QStringLiteral("Period: %1 to %2, %3 measurement%4")
                     .arg(r.from.isValid()   ? dayText(r.from)
                          : r.rows.isEmpty() ? QStringLiteral("-")
                                             : shownDate(r.rows.first()),
                          r.to.isValid()     ? dayText(r.to)
                          : r.rows.isEmpty() ? QStringLiteral("-")
                                             : shownDate(r.rows.last()))
                     .arg(r.rows.size())
                     .arg(r.rows.size() == 1 ? QString() : QStringLiteral("s")),
                 y, font(10));
        y = line(QStringLiteral("Printed on %1").arg(dayText(r.today)), y, font(10));
        y += 6;
        y = summary(y);
        y += 6;
        chart(QRectF(0, y, m_width, ChartHeight));
        return y + ChartHeight + 10;
    }

    double summary(double y)
    {
        const QList<ReportMeasurement> &rows = m_report.rows;
        if (rows.isEmpty()) {
            y = line(QStringLiteral("No measurements in this period."), y, font(10));
            return trend(y);
        }
        auto describe = [](const ReportMeasurement &m) {
            return QStringLiteral("%1: weight %2 kg, BMI %3")
                .arg(shownDate(m), m.weight, m.bmi ? bmiText(*m.bmi) : QStringLiteral("-"));
        };
        const ReportMeasurement &first = rows.first(), &last = rows.last();
        y = line(QStringLiteral("First measurement ") + describe(first), y, font(10));
        y = line(QStringLiteral("Last measurement ") + describe(last), y, font(10));
        bool okFirst = false, okLast = false;
        const double weightChange = last.weight.toDouble(&okLast) - first.weight.toDouble(&okFirst);
        QString change =
            QStringLiteral("Change: weight %1 kg")
                .arg(okFirst && okLast ? signedOneDecimal(weightChange) : QStringLiteral("-"));
        change += QStringLiteral(", BMI %1")
                      .arg(first.bmi && last.bmi ? signedOneDecimal(*last.bmi - *first.bmi)
                                                 : QStringLiteral("-"));
        return references(trend(line(change, y, font(10, true))));
    }

    double trend(double y)
    {
        if (m_report.trendSentence.isEmpty())
            return y;
        return line(m_report.trendSentence + QLatin1Char('.'), y, font(10));
    }

    // Which WHO tables the classes come from, when a child's are among them.
    double references(double y)
    {
        QList<who::Reference> used;
        for (const ReportMeasurement &row : m_report.rows) {
            const who::Reference r = who::referenceAt(m_report.birthDate, row.date);
            if (!used.contains(r))
                used.append(r);
        }
        if (!used.contains(who::Reference::Standards) && !used.contains(who::Reference::Growth))
            return y;
        QStringList names;
        for (who::Reference r :
             {who::Reference::Standards, who::Reference::Growth, who::Reference::Adult})
            if (used.contains(r))
                names.append(who::referenceName(r));
        return line(QStringLiteral("Classes: ") + names.join(QStringLiteral("; ")) +
                        QStringLiteral(" (z-scores as WHO computes them)"),
                    y, font(9));
    }

    // The graph window's chart, drawn by the same code at this size.
    void chart(const QRectF &place)
    {
        const QList<ReportMeasurement> &rows = m_report.rows;
        QList<double> bmis;
        for (const ReportMeasurement &row : rows)
            bmis.append(row.bmi.value_or(std::numeric_limits<double>::quiet_NaN()));
        const PointTable table = trendTable(bmis, [&rows, labels = DateLabels()](int point) {
            return labels.label(rows[point].stored);
        });
        // One pixel to a point: the chart's fonts come out at about the
        // size of the table's.
        GraphLite graph;
        graph.setLineWidth(1);
        drawTrend(graph, table);
        const QSize pixels(qRound(place.width()), qRound(place.height()));
        graph.setPlacementTwips(0, 0, pixels.width() * 15.0f, pixels.height() * 15.0f);
        graph.resize(pixels);
        // Laid out as on screen, without appearing there.
        graph.setAttribute(Qt::WA_DontShowOnScreen);
        graph.show();
        graph.redraw();
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QChart *chart = graph.chart();
        chart->scene()->render(&m_painter, place, chart->sceneBoundingRect());
    }

    double tableHeading(double y)
    {
        m_painter.setFont(font(9, true));
        double x = 0;
        for (const Column &c : columns) {
            m_painter.drawText(QRectF(x, y, c.width, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                               QLatin1String(c.heading));
            x += c.width;
        }
        m_painter.drawLine(QPointF(0, y + RowHeight), QPointF(x, y + RowHeight));
        return y + RowHeight;
    }

    double tableRow(const ReportMeasurement &row, double y)
    {
        QString whoClass;
        if (row.bmi && !personSized(row.height, row.weight))
            whoClass = QStringLiteral("no class: no person's height or weight");
        else if (row.bmi)
            whoClass = bmiClass(*row.bmi, m_report.birthDate, row.date, m_sex);
        const QString cells[] = {shownDate(row), row.height, row.weight,
                                 row.bmi ? bmiText(*row.bmi) : QStringLiteral("-"), whoClass};
        const QFont f = font(9);
        m_painter.setFont(f);
        const QFontMetricsF metrics(f);
        double x = 0;
        for (int i = 0; i < 5; ++i) {
            // A gap before the next column; a longer text is shortened.
            const double room = columns[i].width - 4;
            m_painter.drawText(QRectF(x, y, room, RowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                               metrics.elidedText(cells[i], Qt::ElideRight, room));
            x += columns[i].width;
        }
        return y + RowHeight;
    }

    // The name on the left, shortened to leave the page number its room.
    void footer(int page)
    {
        const QFont f = font(8);
        m_painter.setFont(f);
        const QFontMetricsF metrics(f);
        const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(m_pages);
        const double room = m_width - metrics.horizontalAdvance(number) - 12;
        m_painter.drawText(QRectF(0, m_height - RowHeight, room, RowHeight),
                           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           metrics.elidedText(m_report.name, Qt::ElideRight, room));
        m_painter.drawText(QRectF(0, m_height - RowHeight, m_width, RowHeight),
                           Qt::AlignRight | Qt::AlignVCenter, number);
    }

    const HistoryReport &m_report;
    QPagedPaintDevice &m_device;
    QPainter &m_painter;
    const who::Sex m_sex;
    double m_width = 0, m_height = 0;
    int m_pages = 1;
};

} // namespace

HistoryReport readHistoryReport(Database &db, qint16 patient, const QDate &from, const QDate &to)
{
    HistoryReport report;
    report.from = from;
    report.to = to;
    report.today = Today::date();
    {
        Statement person = db.prepare(Sql::history::patient);
        person.bind(1, patient);
        if (!person.step())
            throw Error(ErrorNumber::ItemNotFound,
                        QStringLiteral("There is no patient with IdPatient %1.").arg(patient));
        report.name = person.column(0).toString();
        report.sex = displayText(person.column(1));
        report.birthDateText = displayText(person.column(2));
        report.birthDate = readStoredDate(report.birthDateText);
    }
    const int thisYear = dates::currentYear();
    const bool bounded = from.isValid() || to.isValid();
    // Every measurement counts for the trend, the period's rows for the rest.
    QList<trend::Measurement> all;
    Statement history = db.prepare(Sql::patientMeasurementsByDate(QString::number(patient)));
    while (history.step()) {
        namespace Column = Sql::MeasurementRowColumn;
        ReportMeasurement row;
        row.stored = displayText(history.column(Column::Date));
        row.date = readStoredDate(row.stored, thisYear);
        const QVariant bmi = history.column(Column::Bmi);
        if ((bmi.typeId() == QMetaType::Double || bmi.typeId() == QMetaType::LongLong) &&
            std::isfinite(bmi.toDouble()))
            row.bmi = bmi.toDouble();
        all.append({row.date, history.column(Column::IdBMI).toLongLong(),
                    row.bmi.value_or(std::numeric_limits<double>::quiet_NaN())});
        if (bounded && (!row.date.isValid() || (from.isValid() && row.date < from) ||
                        (to.isValid() && row.date > to)))
            continue;
        row.height = displayText(history.column(Column::Height));
        row.weight = displayText(history.column(Column::Weight));
        report.rows.append(row);
    }
    report.trendSentence = trend::sentence(trend::wayAhead(all, trend::smoothed(all)));
    return report;
}

QString bmiClass(double bmi, const QDate &birth, const QDate &at, who::Sex sex)
{
    const who::ChildClass child = who::childClass(sex, birth, at, bmi);
    if (child.reference == who::Reference::Unknown)
        return QStringLiteral("no class: age unknown");
    if (child.reference != who::Reference::Adult)
        return child.text;
    // In tenths of the text printed: rounding the binary value anew can go
    // the other way (24.95 is stored as 24.9499..., printed 24.9, and
    // would round to 25.0).
    const double tenths =
        std::abs(bmi) < 1000 ? std::round(oneDecimal(bmi).toDouble() * 10) : bmi * 10;
    if (tenths < 160)
        return QStringLiteral("severe thinness");
    if (tenths < 170)
        return QStringLiteral("moderate thinness");
    if (tenths < 185)
        return QStringLiteral("mild thinness");
    if (tenths < 250)
        return QStringLiteral("normal");
    if (tenths < 300)
        return QStringLiteral("pre-obese");
    if (tenths < 350)
        return QStringLiteral("obese class I");
    if (tenths < 400)
        return QStringLiteral("obese class II");
    return QStringLiteral("obese class III");
}

int paintHistoryReport(const HistoryReport &report, QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QPainter painter(&device);
    Pages pages(report, device, painter);
    return pages.paint();
}
