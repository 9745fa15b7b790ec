#include "draw.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>

namespace
{

const QColor Ink(0x20, 0x20, 0x20);
const QColor White(0xff, 0xff, 0xff);
const QColor Grey(0x80, 0x80, 0x80);
const QColor Silver(0xc0, 0xc0, 0xc0);
const QColor Skin(0xf6, 0xc6, 0x92);
const QColor SkinInk(0x8a, 0x55, 0x25);
const QColor DarkSkin(0xc8, 0x85, 0x4c);
const QColor DarkSkinInk(0x5c, 0x33, 0x12);
const QColor Sleeve(0x2a, 0x5d, 0xb0);
const QColor OtherSleeve(0x3a, 0x8a, 0x3e);

// One device pixel at either size.
QPen ink(const QColor &colour, bool small, qreal width = 1.0)
{
    QPen pen(colour, small ? 2 * width : width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void shape(QPainter &p, const QPainterPath &path, const QColor &fill, const QPen &pen)
{
    p.setBrush(fill);
    p.setPen(pen);
    p.drawPath(path);
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

void paintHandshake(QPainter &p, bool small)
{
    // Sleeves come in from either side, each with a white cuff.
    const QColor sleeves[] = {Sleeve, OtherSleeve};
    for (int side = 0; side < 2; ++side) {
        const auto pt = [side](qreal x, qreal y) {
            return side ? QPointF(32 - x, y) : QPointF(x, y);
        };
        shape(p, polygon({pt(-2, 13.5), pt(5.5, 12.5), pt(5.5, 26.5), pt(-2, 27.5)}), sleeves[side],
              ink(Ink, small));
        shape(p, polygon({pt(5.5, 12), pt(8.5, 11.5), pt(8.5, 26), pt(5.5, 27)}), White,
              ink(Ink, small));
    }

    // The hand from the right shows its back; its fingers are hidden behind
    // the other hand.
    const QPen darkPen = ink(DarkSkinInk, small);
    QPainterPath right(QPointF(23.5, 12));
    right.cubicTo(20, 9, 14, 8, 10.5, 10);
    right.cubicTo(9, 11, 9.5, 13, 11, 13.5);
    right.lineTo(19, 25);
    right.lineTo(23.5, 25.5);
    right.closeSubpath();
    shape(p, right, DarkSkin, darkPen);

    // The hand from the left wraps its fingers round it.
    shape(p, polygon({{8, 12.5}, {12, 12.5}, {12, 25.5}, {8, 25.5}}), Skin, Qt::NoPen);
    const int fingers = small ? 3 : 4;
    const qreal pitch = 12.0 / fingers;
    for (int i = fingers - 1; i >= 0; --i) {
        const qreal y = 12.5 + pitch * (i + 0.5);
        shape(p, capsule(QPointF(9, y - 0.5), QPointF(21 - 0.7 * i, y + 1.2), pitch + 0.3), Skin,
              ink(SkinInk, small));
    }
    // The right thumb lies across the top of them.
    shape(p, capsule(QPointF(22, 12.5), QPointF(12, 10.8), small ? 4 : 3.2), DarkSkin, darkPen);
}

const QColor CoverRed(0xa8, 0x1e, 0x1e);
const QColor Writing(0x18, 0x30, 0xc0);
const QColor PageLine(0x50, 0x50, 0x50);
const QColor PencilYellow(0xf0, 0xc0, 0x20);
const QColor Wood(0xe8, 0xc8, 0x98);

void paintNew(QPainter &p, bool small)
{
    // An open book, slightly in perspective, on a red cover.
    shape(p, polygon({{1, 15.5}, {16, 18.5}, {31, 15.5}, {31, 28.5}, {16, 31}, {1, 28.5}}),
          CoverRed, ink(Ink, small));
    shape(p, polygon({{2, 13.5}, {16, 16.5}, {16, 29}, {2, 26}}), White, ink(Ink, small));
    shape(p, polygon({{16, 16.5}, {30, 13.5}, {30, 26}, {16, 29}}), White, ink(Ink, small));
    if (!small) {
        p.setPen(ink(PageLine, false));
        for (int k = 1; k <= 3; ++k) {
            const qreal dy = 3.0 * k;
            p.drawLine(QPointF(4, 14.5 + dy + 0.4), QPointF(14, 16.7 + dy));
        }
        // What has been written so far on the right page.
        p.setPen(ink(Writing, false));
        p.drawLine(QPointF(18, 19.5), QPointF(23, 18.4));
        QPainterPath scribble(QPointF(17.5, 23.6));
        for (int i = 0; i < 2; ++i)
            scribble.quadTo(18.1 + i * 1.4, 21.6 - i * 0.3, 18.8 + i * 1.4, 23.2 - i * 0.3);
        p.setBrush(Qt::NoBrush);
        p.drawPath(scribble);
    }

    // A pencil, tip on the page, held near the tip so that most of it shows.
    const QPointF tip(19.6, 22.6), back(29.5, 1.5);
    const QLineF axis(tip, back);
    const QPointF unit = (back - tip) / axis.length();
    const QPointF normal(-unit.y(), unit.x());
    const qreal half = small ? 2.2 : 1.8;
    const QPointF woodEnd = tip + unit * 4;
    shape(p,
          polygon({woodEnd + normal * half, back + normal * half, back - normal * half,
                   woodEnd - normal * half}),
          PencilYellow, ink(Ink, small));
    shape(p, polygon({tip, woodEnd + normal * half, woodEnd - normal * half}), Wood,
          ink(Ink, small));
    shape(p, polygon({tip, tip + unit * 1.6 + normal * 0.7, tip + unit * 1.6 - normal * 0.7}), Ink,
          ink(Ink, small, 0.5));

    // The hand coming in from the right: a fist round the pencil with the
    // index finger along it.
    shape(p, polygon({{28.5, 10.5}, {33, 8.5}, {33, 19}, {28.5, 19.5}}), Sleeve, ink(Ink, small));
    QPainterPath fist;
    fist.addEllipse(QPointF(25.8, 14.8), small ? 4 : 3.6, small ? 3.6 : 3.2);
    shape(p, fist, Skin, ink(SkinInk, small));
    shape(p, capsule(QPointF(25.5, 12.5), tip + unit * 6, small ? 3 : 2.4), Skin,
          ink(SkinInk, small));
}

const QColor FolderInk(0x5a, 0x40, 0x00);
const QColor FolderBack(0xd4, 0x9a, 0x10);
const QColor FlapLight(0xff, 0xe0, 0x70);
const QColor FlapDark(0xf0, 0xc0, 0x30);
const QColor PaperInk(0x60, 0x60, 0x60);
const QColor PaperLine(0x90, 0x90, 0x90);

void paintOpen(QPainter &p, bool small)
{
    const QPen outline = ink(FolderInk, small);
    // The back of the folder with its tab.
    shape(p, polygon({{2.5, 7.5}, {10.5, 7.5}, {12.5, 9.5}, {26.5, 9.5}, {26.5, 27}, {2.5, 27}}),
          FolderBack, outline);
    // A sheet of paper inside.
    shape(p, polygon({{6.5, 11.5}, {24.5, 11.5}, {24.5, 24}, {6.5, 24}}), White,
          ink(PaperInk, small));
    if (!small) {
        p.setPen(ink(PaperLine, false));
        for (int k = 0; k < 2; ++k)
            p.drawLine(QPointF(8.5, 13.5 + 2 * k), QPointF(22.5, 13.5 + 2 * k));
    }
    // The front flap, swung open towards the viewer.
    QLinearGradient front(0, 15, 0, 27);
    front.setColorAt(0, FlapLight);
    front.setColorAt(1, FlapDark);
    p.setBrush(front);
    p.setPen(outline);
    p.drawPath(polygon({{7.5, 15.5}, {31, 15.5}, {26.5, 27}, {1.5, 27}}));
}

const QColor IrisLight(0x60, 0xc0, 0xff);
const QColor IrisDark(0x10, 0x40, 0xa0);
const QColor IrisInk(0x08, 0x20, 0x50);

void paintBmi(QPainter &p, bool small)
{
    QPainterPath eye(QPointF(1.5, 16));
    eye.quadTo(16, 1, 30.5, 16);
    eye.quadTo(16, 31, 1.5, 16);
    eye.closeSubpath();
    shape(p, eye, White, Qt::NoPen);

    p.save();
    p.setClipPath(eye);
    QRadialGradient iris(QPointF(16, 16), 7.5);
    iris.setColorAt(0, IrisLight);
    iris.setColorAt(1, IrisDark);
    p.setBrush(iris);
    p.setPen(ink(IrisInk, small));
    p.drawEllipse(QPointF(16, 16), 7.5, 7.5);
    p.setBrush(Ink);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(16, 16), 3.2, 3.2);
    p.setBrush(White);
    p.drawEllipse(QPointF(13.8, 13.6), small ? 2 : 1.6, small ? 2 : 1.6);
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(ink(Ink, small, 1.5));
    p.drawPath(eye);
    if (!small) {
        // Lashes along the upper lid.
        for (int i = -2; i <= 2; ++i) {
            const qreal t = 0.5 + i * 0.16;
            const QPointF on((1 - t) * (1 - t) * 1.5 + 2 * t * (1 - t) * 16 + t * t * 30.5,
                             (1 - t) * (1 - t) * 16 + 2 * t * (1 - t) * 1 + t * t * 16);
            p.drawLine(on, on + QPointF(i * 1.3, -3));
        }
    }
}

const QColor SeriesRed(0xe0, 0x10, 0x10);
const QColor SeriesBlue(0x10, 0x40, 0xe0);

void paintGraph(QPainter &p, bool small)
{
    shape(p, polygon({{1.5, 2.5}, {30.5, 2.5}, {30.5, 29.5}, {1.5, 29.5}}), White,
          ink(Grey, small));
    if (!small) {
        p.setPen(ink(Silver, false));
        for (qreal y : {8.5, 14.5, 20.5})
            p.drawLine(QPointF(6, y), QPointF(29, y));
    }
    p.setPen(ink(Ink, small));
    p.drawLine(QPointF(5.5, 4), QPointF(5.5, 26.5));
    p.drawLine(QPointF(5.5, 26.5), QPointF(29, 26.5));

    const QPolygonF first({{8.5, 17.5}, {13.5, 12.5}, {18.5, 14.5}, {23.5, 8.5}, {27.5, 6.5}});
    const QPolygonF second({{8.5, 23.5}, {13.5, 19.5}, {18.5, 21.5}, {23.5, 16.5}, {27.5, 18.5}});
    const QColor colours[] = {SeriesRed, SeriesBlue};
    int series = 0;
    for (const QPolygonF *points : {&first, &second}) {
        p.setPen(ink(colours[series], small, small ? 1.2 : 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(*points);
        if (!small) {
            p.setPen(Qt::NoPen);
            p.setBrush(colours[series]);
            for (const QPointF &pt : *points)
                p.drawRect(QRectF(pt - QPointF(1.5, 1.5), QSizeF(3, 3)));
        }
        ++series;
    }
}

const QColor StopRed(0xd0, 0x10, 0x10);

void paintExit(QPainter &p, bool small)
{
    const auto octagon = [](qreal radius) {
        QPolygonF points;
        for (int k = 0; k < 8; ++k) {
            const qreal a = (22.5 + 45 * k) * M_PI / 180;
            points << QPointF(16 + radius * std::cos(a), 16 + radius * std::sin(a));
        }
        QPainterPath path;
        path.addPolygon(points);
        path.closeSubpath();
        return path;
    };
    shape(p, octagon(15.8), White, ink(Ink, small));
    shape(p, octagon(small ? 13 : 13.6), StopRed, Qt::NoPen);
    if (small) {
        p.fillRect(QRectF(7, 14, 18, 4), White);
        return;
    }
    // Hinted and without smoothing, the small letters stay crisp.
    QFont font = pictureFont(QStringLiteral("Liberation Sans"), QStringLiteral("Bold"), 9);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setPen(White);
    p.setFont(font);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("STOP"));
}

// Half-way between two colours, for the edges between them.
QColor mix(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

const std::vector<IconDesign> &iconDesigns()
{
    static const std::vector<IconDesign> designs = {
        {"handshake",
         paintHandshake,
         {Ink, White, Grey, Silver, Sleeve, OtherSleeve, mix(Sleeve, Ink), mix(OtherSleeve, Ink),
          Skin, SkinInk, DarkSkin, DarkSkinInk, mix(Skin, SkinInk), mix(DarkSkin, DarkSkinInk),
          mix(Skin, DarkSkin)}},
        {"new",
         paintNew,
         {Ink, White, Grey, Silver, CoverRed, mix(CoverRed, Ink), PageLine, Writing,
          mix(Writing, White), PencilYellow, Wood, Skin, SkinInk, mix(Skin, SkinInk), Sleeve}},
        {"open",
         paintOpen,
         {FolderInk, FolderBack, mix(FolderBack, FolderInk), FlapLight, FlapDark,
          mix(FlapLight, FlapDark), mix(FlapDark, FolderInk), White, PaperInk, PaperLine, Silver,
          mix(FolderBack, White)}},
        {"bmi",
         paintBmi,
         {Ink, White, Grey, Silver, IrisLight, IrisDark, mix(IrisLight, IrisDark),
          mix(mix(IrisLight, IrisDark), IrisDark), IrisInk, mix(IrisInk, White)}},
        {"graph",
         paintGraph,
         {Ink, White, Grey, Silver, SeriesRed, SeriesBlue, mix(SeriesRed, White),
          mix(SeriesBlue, White), mix(Ink, White)}},
        {"exit",
         paintExit,
         {Ink, White, Grey, Silver, StopRed, mix(StopRed, White), mix(StopRed, Ink)}},
    };
    return designs;
}
