#pragma once
// GraphLite: a line chart of labelled points, drawn with Qt Charts.
//
// The chart is loaded from a PointTable: every series is one line through its
// points' values; a NaN draws no point and breaks the line there. Labels run
// along the horizontal axis, as many as fit without overlapping; the values
// are drawn against a vertical scale.
//
// Settings change nothing on screen until redraw() is called. Colours are given
// as 0x00BBGGRR values (0x0000FF is red), places and sizes in twips
// (1/1440 inch, 15 to a pixel).
//
// Designer properties: "borderStyle" (0 none, 1 a single line around the
// chart), "chartFont" and "titleFont" (QFont::toString text, so that
// fractional point sizes survive the designer file).
#include "graph/pointtable.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QWidget>

class QChart;
class QCategoryAxis;
class QValueAxis;
class QLineSeries;
class QGraphicsEllipseItem;
class QGraphicsSimpleTextItem;
class QChartView;

class GraphLite : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(QString chartFont READ chartFontText WRITE setChartFont)
    Q_PROPERTY(QString titleFont READ titleFontText WRITE setTitleFont)

public:
    explicit GraphLite(QWidget *parent = nullptr);
    ~GraphLite() override;

    // --- Operations -------------------------------------------------------
    // Width in pixels of every series line (at least 1).
    void setLineWidth(qint32 pixels);
    // Applies every pending setting and the loaded data, then repaints.
    void redraw();
    // Colour of the chart's background, 0x00BBGGRR.
    void setBackgroundColour(qint32 colour);
    // Replaces the points with the table's; the chart keeps its own copy.
    void loadData(const PointTable &table);
    void setTitle(const QString &title);
    // Bounds of the value scale.
    void setScaleMinimum(double value);
    void setScaleMaximum(double value);
    // Colour (0x00BBGGRR) and legend caption of series index.
    void defineSeries(qint16 index, qint32 colour, const QString &caption);
    // Number of labelled divisions of the value scale (at least 1).
    void setScaleDivisions(qint16 divisions);
    // Parts each division is split into by unlabelled minor ticks (1: none).
    void setMinorDivisions(qint16 parts);
    // Grid lines across the plot at the scale's ticks.
    void setGridLines(bool on);
    // A marker on every point, where the points are far enough apart to tell
    // them from the line (a point standing alone is always marked).
    void setPointMarkers(bool on);
    // Line style of series index (solid unless set).
    void setSeriesStyle(qint16 index, Qt::PenStyle style);
    // A smooth series is drawn with fewer points: it has no spikes to keep.
    void setSeriesSmooth(qint16 index, bool smooth);
    // One line of text along the top of the plot; empty: none.
    void setNote(const QString &text);
    // Words in the middle of the plot, as where there is nothing to draw.
    void setMessage(const QString &text);
    // A ring around point's value in series; a point of -1: none.
    void markPoint(int point, int series);
    // Place and size in the parent, in twips; a negative size counts as 0.
    void setPlacementTwips(float left, float top, float width, float height);
    float leftTwips() const;
    float topTwips() const;

    // --- Designer properties ----------------------------------------------
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);
    QString chartFontText() const { return m_font.toString(); }
    void setChartFont(const QString &text);
    QString titleFontText() const { return m_titleFont.toString(); }
    void setTitleFont(const QString &text);

    // The chart's scene, for painting it elsewhere.
    QChart *chart() const { return m_chart; }

    // What the chart shows as of the last redraw, read back from the drawn
    // chart; every label is made for it, so it is for checking, not drawing.
    struct Shown {
        QStringList labels; // one per point
        // The labels written along the axis, with the point each stands at.
        QList<QPair<int, QString>> axisLabels;
        // Per series: the points (x the point's index, y its value; points
        // without a value left out), how many the line is drawn through (long
        // lines are thinned), and whether its points are marked.
        QList<QList<QPointF>> points;
        QList<int> drawnPoints;
        QList<bool> markers;
        QList<QPair<QString, QColor>> legend; // caption and colour, in order
        QString title, note, message;
        int markedPoint = -1; // -1 when no point is marked
        double minimum = 0, maximum = 0;
        QColor background;
        QFont font, titleFont;
        QRectF twips;   // place and size
        int frames = 0; // painted so far
    };
    Shown shown() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct SeriesDefinition {
        QColor colour;
        QString caption;
        Qt::PenStyle style = Qt::SolidLine;
        bool smooth = false;
    };
    struct State {
        PointTable data;
        QList<SeriesDefinition> definitions;
        QString title;
        double minimum = 0;
        double maximum = 100;
        QColor background;
        int lineWidth = 1;
        int divisions = 5;
        int minorParts = 1;
        bool gridLines = true;
        bool markers = false;
        QString note, message;
        int markedPoint = -1, markedSeries = 0;
    };

    QString label(int point) const;
    void rebuildSeries(const State &before);
    void applySettings();
    void fitToPlotArea();
    void placeOverlays();
    QPen pen(int series) const;
    SeriesDefinition definition(int index) const;
    static SeriesDefinition definitionIn(const State &state, int index);
    QRectF placement() const;
    static QRect pixelRect(const QRectF &twips);

    State m_pending;
    State m_shown;
    bool m_dataChanged = true;
    bool m_settingsChanged = true;

    QChartView *m_view = nullptr;
    QChart *m_chart = nullptr;
    QCategoryAxis *m_labelAxis = nullptr;
    QValueAxis *m_valueAxis = nullptr;
    QList<QList<QLineSeries *>> m_lines; // per series, one line per unbroken run
    QList<QPair<int, QString>> m_axisLabels;
    // Drawn over the chart only when set: hidden, they paint nothing.
    QGraphicsSimpleTextItem *m_note = nullptr;
    QGraphicsSimpleTextItem *m_message = nullptr;
    QGraphicsEllipseItem *m_mark = nullptr;
    double m_labelRoom = 1; // pixels a label needs along the axis
    QFont m_font;
    QFont m_titleFont;
    int m_borderStyle = 1;
    QRectF m_placement;
    int m_frames = 0;
};
