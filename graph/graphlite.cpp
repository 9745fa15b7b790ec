#include "graph/graphlite.h"

#include "graph/thinning.h"

#include "classic/accessibility.h"

#include <QAccessibleWidget>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsEllipseItem>
#include <QGraphicsSimpleTextItem>
#include <QHash>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QResizeEvent>
#include <QValueAxis>
#include <cmath>
#include <utility>

namespace
{
constexpr double TwipsPerPixel = 15.0;
// Points closer together than this are drawn as a line only.
constexpr double MinMarkerSpacing = 6.0;
// Keeps repeated labels apart for the axis, which needs each one unique.
const QChar Invisible(0x200B);

QColor fromWindowsColour(qint32 colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QFont fontFrom(const QString &text)
{
    QFont font;
    if (!font.fromString(text))
        return QFont();
    return font;
}

int pixels(float twips)
{
    return qRound(qMax(0.0f, twips) / TwipsPerPixel);
}

// To assistive technology the chart is one object, heard by its name and
// description; the view and the scene inside it have nothing to tell.
class GraphLiteAccessible : public QAccessibleWidget
{
public:
    explicit GraphLiteAccessible(QWidget *chart) : QAccessibleWidget(chart, QAccessible::Chart) {}
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
};

QAccessibleInterface *graphLiteAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("GraphLite") || !object || !object->isWidgetType())
        return nullptr;
    // Qt's accessibility cache owns the interface.
    return new GraphLiteAccessible(static_cast<QWidget *>(object));
}

// The view counts its frames so that tests can wait for one.
class ChartView : public QChartView
{
public:
    ChartView(QChart *chart, QWidget *parent, int &frames)
        : QChartView(chart, parent), m_frames(frames)
    {
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QChartView::paintEvent(event);
        ++m_frames;
    }

private:
    int &m_frames;
};
} // namespace

GraphLite::GraphLite(QWidget *parent) : QWidget(parent)
{
    static const bool accessible = [] {
        QAccessible::installFactory(graphLiteAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    m_font = fontFrom(QStringLiteral("MS Sans Serif,8.25,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"));
    m_titleFont = m_font;

    auto chart = std::make_unique<QChart>();
    m_chart = chart.get();
    m_chart->setDropShadowEnabled(false);
    m_chart->setBackgroundRoundness(0);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    auto labelAxis = std::make_unique<QCategoryAxis>();
    m_labelAxis = labelAxis.get();
    m_labelAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_labelAxis->setGridLineVisible(false);
    m_chart->addAxis(labelAxis.release(), Qt::AlignBottom);
    auto valueAxis = std::make_unique<QValueAxis>();
    m_valueAxis = valueAxis.get();
    m_valueAxis->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(valueAxis.release(), Qt::AlignLeft);

    // The view takes the chart; OpenGL stays off so that painting is plain.
    m_view = new ChartView(chart.release(), this, m_frames);
    m_view->setRenderHint(QPainter::Antialiasing, false);
    // The focus stays on the chart itself, which a screen reader can describe.
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setFrameShape(QFrame::Box);
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { fitToPlotArea(); });
    // Owned by the chart, above its lines.
    m_note = new QGraphicsSimpleTextItem(m_chart);
    m_message = new QGraphicsSimpleTextItem(m_chart);
    m_mark = new QGraphicsEllipseItem(m_chart);
    for (QGraphicsItem *item : std::initializer_list<QGraphicsItem *>{m_note, m_message, m_mark}) {
        item->setZValue(100);
        item->hide();
    }
    m_mark->setPen(QPen(Qt::black, 2));

    m_pending.background = palette().color(QPalette::Window);
    m_shown = m_pending;
    applySettings();
}

GraphLite::~GraphLite() = default;

bool GraphLite::focusNextPrevChild(bool next)
{
    const bool moved = QWidget::focusNextPrevChild(next);
    if (!hasFocus() || !QAccessible::isActive())
        return moved;
    // The chart is its window's only Tab stop, so Tab leaves the focus here
    // and a screen reader, hearing of no change, would say nothing.
    RetellFocus(this);
    return true;
}

void GraphLite::setLineWidth(qint32 pixels)
{
    m_pending.lineWidth = qMax(1, pixels);
    m_settingsChanged = true;
}

void GraphLite::setBackgroundColour(qint32 colour)
{
    m_pending.background = fromWindowsColour(colour);
    m_settingsChanged = true;
}

void GraphLite::loadData(const PointTable &table)
{
    m_pending.data = table;
    m_dataChanged = true;
}

QString GraphLite::label(int point) const
{
    return m_shown.data.label ? m_shown.data.label(point) : QString();
}

void GraphLite::setTitle(const QString &title)
{
    m_pending.title = title;
    m_settingsChanged = true;
}

void GraphLite::setScaleMinimum(double value)
{
    m_pending.minimum = value;
    m_settingsChanged = true;
}

void GraphLite::setScaleMaximum(double value)
{
    m_pending.maximum = value;
    m_settingsChanged = true;
}

void GraphLite::defineSeries(qint16 index, qint32 colour, const QString &caption)
{
    if (index < 0)
        return;
    if (m_pending.definitions.size() <= index)
        m_pending.definitions.resize(index + 1);
    m_pending.definitions[index] = {fromWindowsColour(colour), caption};
    // Captions and colours are part of the drawn lines.
    m_dataChanged = true;
}

void GraphLite::setSeriesStyle(qint16 index, Qt::PenStyle style)
{
    if (index < 0)
        return;
    if (m_pending.definitions.size() <= index)
        m_pending.definitions.resize(index + 1);
    m_pending.definitions[index].style = style;
    m_settingsChanged = true;
}

void GraphLite::setSeriesSmooth(qint16 index, bool smooth)
{
    if (index < 0)
        return;
    if (m_pending.definitions.size() <= index)
        m_pending.definitions.resize(index + 1);
    m_pending.definitions[index].smooth = smooth;
    m_dataChanged = true;
}

void GraphLite::setNote(const QString &text)
{
    m_pending.note = text;
    m_settingsChanged = true;
}

void GraphLite::setMessage(const QString &text)
{
    m_pending.message = text;
    m_settingsChanged = true;
}

void GraphLite::markPoint(int point, int series)
{
    m_pending.markedPoint = point;
    m_pending.markedSeries = series;
    m_settingsChanged = true;
}

QPen GraphLite::pen(int series) const
{
    const SeriesDefinition def = definition(series);
    QPen pen(def.colour);
    pen.setWidth(m_shown.lineWidth);
    pen.setStyle(def.style);
    return pen;
}

void GraphLite::setScaleDivisions(qint16 divisions)
{
    m_pending.divisions = qMax<int>(1, divisions);
    m_settingsChanged = true;
}

void GraphLite::setMinorDivisions(qint16 parts)
{
    m_pending.minorParts = qMax<int>(1, parts);
    m_settingsChanged = true;
}

void GraphLite::setGridLines(bool on)
{
    m_pending.gridLines = on;
    m_settingsChanged = true;
}

void GraphLite::setPointMarkers(bool on)
{
    m_pending.markers = on;
    m_settingsChanged = true;
}

void GraphLite::redraw()
{
    // A redraw with nothing new, as on every resize, only repaints.
    if (m_dataChanged || m_settingsChanged) {
        const State before = std::exchange(m_shown, m_pending);
        if (m_dataChanged)
            rebuildSeries(before);
        applySettings();
        m_dataChanged = m_settingsChanged = false;
    }
    m_view->viewport()->update();
}

GraphLite::SeriesDefinition GraphLite::definition(int index) const
{
    return definitionIn(m_shown, index);
}

GraphLite::SeriesDefinition GraphLite::definitionIn(const State &state, int index)
{
    if (index < state.definitions.size() && state.definitions[index].colour.isValid())
        return state.definitions[index];
    static const QColor defaults[] = {Qt::darkBlue, Qt::darkGreen, Qt::darkRed, Qt::darkCyan};
    return {defaults[index % 4], QStringLiteral("Series %1").arg(index + 1), Qt::SolidLine};
}

void GraphLite::rebuildSeries(const State &before)
{
    // Adding a line to a chart on screen lays out every line it holds: the
    // first series that are as they were keep their lines, so that showing
    // or hiding the last one builds that one alone.
    const int n = m_shown.data.points;
    qsizetype kept = 0;
    const auto same = [&](int k) {
        const SeriesDefinition was = definitionIn(before, k), is = definition(k);
        return before.data.series[k] == m_shown.data.series[k] && was.caption == is.caption &&
               was.smooth == is.smooth;
    };
    if (before.data.points == n)
        while (kept < m_lines.size() && kept < m_shown.data.series.size() &&
               kept < before.data.series.size() && same(int(kept)))
            ++kept;
    for (qsizetype k = kept; k < m_lines.size(); ++k)
        for (QLineSeries *line : std::as_const(m_lines[k])) {
            m_chart->removeSeries(line);
            delete line;
        }
    m_lines.resize(kept);
    for (int k = int(kept); k < m_shown.data.series.size(); ++k) {
        const SeriesDefinition def = definition(k);
        const QPen linePen = pen(k);
        QList<QLineSeries *> runs;
        QList<QPointF> run;
        // Styled before it joins the chart, so that its geometry is made once.
        auto flush = [&] {
            if (run.isEmpty() && !runs.isEmpty())
                return;
            auto line = std::make_unique<QLineSeries>();
            line->setName(def.caption);
            line->setPen(linePen);
            line->replace(def.smooth ? sampledForDrawing(run, n) : thinnedForDrawing(run, n));
            runs.append(line.get());
            m_chart->addSeries(line.release());
            run.clear();
        };
        const QList<double> &values = m_shown.data.series[k];
        for (int i = 0; i < values.size(); ++i) {
            if (std::isnan(values[i]))
                flush();
            else
                run.append(QPointF(i, values[i]));
        }
        if (!run.isEmpty() || runs.isEmpty())
            flush();

        for (QLineSeries *line : runs) {
            line->attachAxis(m_labelAxis);
            line->attachAxis(m_valueAxis);
        }
        // One legend entry per series, however often its line is broken.
        for (int r = 1; r < runs.size(); ++r)
            for (QLegendMarker *marker : m_chart->legend()->markers(runs[r]))
                marker->setVisible(false);
        m_lines.append(runs);
    }
}

void GraphLite::applySettings()
{
    const State &s = m_shown;
    m_chart->setBackgroundBrush(s.background);
    m_view->setBackgroundBrush(s.background);
    m_chart->setTitle(s.title);
    m_chart->setTitleFont(m_titleFont);
    m_chart->legend()->setFont(m_font);
    m_labelAxis->setLabelsFont(m_font);
    m_valueAxis->setLabelsFont(m_font);

    const double maximum = s.maximum > s.minimum ? s.maximum : s.minimum + 1;
    m_valueAxis->setRange(s.minimum, maximum);
    m_valueAxis->setTickCount(s.divisions + 1);
    m_valueAxis->setMinorTickCount(s.minorParts - 1);
    m_valueAxis->setGridLineVisible(s.gridLines);
    m_valueAxis->setMinorGridLineVisible(s.gridLines && s.minorParts > 1);
    // Each point sits in the middle of its own slot.
    m_labelAxis->setStartValue(-0.5);
    m_labelAxis->setRange(-0.5, qMax(1, m_shown.data.points) - 0.5);

    for (int k = 0; k < m_lines.size(); ++k) {
        const QPen linePen = pen(k);
        for (QLineSeries *line : m_lines[k]) {
            line->setPen(linePen);
            line->setMarkerSize(s.lineWidth + 2); // the radius
        }
    }
    // The axis gives each label an equal share of its width, one share more
    // than there are labels, and cuts off a label that does not fit its share;
    // the first labels tell how wide they are.
    const QFontMetricsF metrics(m_font);
    double widest = metrics.horizontalAdvance(QStringLiteral("00/00"));
    for (int i = 0; i < qMin(s.data.points, 64); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(label(i)));
    m_labelRoom = widest + 2 * metrics.averageCharWidth() + 4;
    m_note->setFont(m_font);
    m_note->setText(s.note);
    m_message->setFont(m_titleFont);
    m_message->setText(s.message);
    m_axisLabels.clear(); // the labels depend on the plot's width
    fitToPlotArea();
}

void GraphLite::fitToPlotArea()
{
    const int n = m_shown.data.points;
    double width = m_chart->plotArea().width();
    if (width <= 0)
        width = qMax(1, m_view->width() - 60);
    const double spacing = width / qMax(1, n);

    // Markers only where they can be told apart; a lone point has no line.
    for (const QList<QLineSeries *> &runs : std::as_const(m_lines))
        for (QLineSeries *line : runs)
            line->setPointsVisible(line->count() == 1 || (m_shown.markers && n <= FullDetailLimit &&
                                                          spacing >= MinMarkerSpacing));

    placeOverlays();

    const int fit = qMax(1, int(width / m_labelRoom) - 1);
    const int step = qMax(1, int(std::ceil(double(n) / fit)));

    QList<QPair<int, QString>> wanted;
    for (int i = 0; i < n; i += step)
        if (QString text = label(i); !text.isEmpty())
            wanted.append({i, std::move(text)});
    if (wanted == m_axisLabels)
        return;
    m_axisLabels = wanted;

    for (const QString &label : m_labelAxis->categoriesLabels())
        m_labelAxis->remove(label);
    QHash<QString, int> seen;
    for (const auto &[point, label] : std::as_const(m_axisLabels)) {
        const int repeats = seen[label]++;
        m_labelAxis->append(label + QString(repeats, Invisible), point);
    }
}

void GraphLite::placeOverlays()
{
    const State &s = m_shown;
    const QRectF plot = m_chart->plotArea();
    m_note->setVisible(!s.note.isEmpty());
    m_note->setPos(plot.left() + 4, plot.top() + 2);
    m_message->setVisible(!s.message.isEmpty());
    const QRectF words = m_message->boundingRect();
    m_message->setPos(plot.center() - words.center());

    const int k = s.markedSeries;
    const bool marked = s.markedPoint >= 0 && k >= 0 && k < m_lines.size() &&
                        k < s.data.series.size() && s.markedPoint < s.data.series[k].size() &&
                        !std::isnan(s.data.series[k][s.markedPoint]);
    m_mark->setVisible(marked);
    if (marked) {
        const QPointF at = m_chart->mapToPosition(
            QPointF(s.markedPoint, s.data.series[k][s.markedPoint]), m_lines[k].first());
        const double r = 6;
        m_mark->setRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
    }
}

GraphLite::Shown GraphLite::shown() const
{
    Shown shown;
    for (int i = 0; i < m_shown.data.points; ++i)
        shown.labels.append(label(i));
    shown.axisLabels = m_axisLabels;
    for (const QList<double> &values : m_shown.data.series) {
        QList<QPointF> points;
        for (int i = 0; i < values.size(); ++i)
            if (!std::isnan(values[i]))
                points.append(QPointF(i, values[i]));
        shown.points.append(points);
    }
    for (const QList<QLineSeries *> &runs : m_lines) {
        int drawn = 0;
        for (const QLineSeries *line : runs)
            drawn += line->count();
        shown.drawnPoints.append(drawn);
        shown.markers.append(runs.first()->pointsVisible());
        // Only a series' first line has an entry (see rebuildSeries).
        for (const QLegendMarker *marker : m_chart->legend()->markers(runs.first()))
            shown.legend.append({marker->label(), marker->brush().color()});
    }
    shown.title = m_chart->title();
    shown.note = m_note->isVisible() ? m_note->text() : QString();
    shown.message = m_message->isVisible() ? m_message->text() : QString();
    shown.markedPoint = m_mark->isVisible() ? m_shown.markedPoint : -1;
    shown.minimum = m_valueAxis->min();
    shown.maximum = m_valueAxis->max();
    shown.background = m_chart->backgroundBrush().color();
    shown.font = m_font;
    shown.titleFont = m_titleFont;
    shown.twips = placement();
    shown.frames = m_frames;
    return shown;
}

void GraphLite::setBorderStyle(int style)
{
    m_borderStyle = style;
    m_view->setFrameShape(style == 1 ? QFrame::Box : QFrame::NoFrame);
}

void GraphLite::setChartFont(const QString &text)
{
    m_font = fontFrom(text);
    applySettings();
}

void GraphLite::setTitleFont(const QString &text)
{
    m_titleFont = fontFrom(text);
    m_chart->setTitleFont(m_titleFont);
}

void GraphLite::setPlacementTwips(float left, float top, float width, float height)
{
    m_placement = QRectF(left, top, qMax(0.0f, width), qMax(0.0f, height));
    setGeometry(pixelRect(m_placement));
}

QRect GraphLite::pixelRect(const QRectF &twips)
{
    return QRect(qRound(twips.left() / TwipsPerPixel), qRound(twips.top() / TwipsPerPixel),
                 pixels(twips.width()), pixels(twips.height()));
}

QRectF GraphLite::placement() const
{
    // The twips given last, unless the widget has been placed otherwise since.
    if (m_placement.isValid() && pixelRect(m_placement) == geometry())
        return m_placement;
    const QRect g = geometry();
    return QRectF(g.x() * TwipsPerPixel, g.y() * TwipsPerPixel, g.width() * TwipsPerPixel,
                  g.height() * TwipsPerPixel);
}

float GraphLite::leftTwips() const
{
    return placement().left();
}

float GraphLite::topTwips() const
{
    return placement().top();
}

void GraphLite::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}
