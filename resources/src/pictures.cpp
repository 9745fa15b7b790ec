#include "draw.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace
{

const QColor Teal(0x12, 0x7c, 0x86);

QPainterPath star(QPointF centre, qreal radius)
{
    QPolygonF points;
    for (int k = 0; k < 10; ++k) {
        const qreal a = (k * 36 - 90) * M_PI / 180;
        const qreal r = k % 2 ? radius * 0.42 : radius;
        points << centre + QPointF(r * std::cos(a), r * std::sin(a));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

QPainter *begin(QPainter &p, QImage &image)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    return &p;
}

// A person with raised arms standing on a bathroom scale, in white.
void drawPerson(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(188, 76), 21, 21);

    QPainterPath body(QPointF(166, 108));
    body.quadTo(188, 100, 210, 108);
    body.lineTo(203, 170);
    body.lineTo(173, 170);
    body.closeSubpath();
    p.drawPath(body);
    p.drawPath(capsule(QPointF(172, 112), QPointF(134, 62), 17));
    p.drawPath(capsule(QPointF(204, 112), QPointF(242, 62), 17));
    p.drawPath(capsule(QPointF(179, 160), QPointF(173, 206), 18));
    p.drawPath(capsule(QPointF(197, 160), QPointF(203, 206), 18));
}

void drawScale(QPainter &p)
{
    const QRectF platform(118, 204, 140, 30);
    QLinearGradient metal(0, platform.top(), 0, platform.bottom());
    metal.setColorAt(0, QColor(0xf6, 0xf8, 0xfa));
    metal.setColorAt(1, QColor(0xb8, 0xc2, 0xcc));
    p.setBrush(metal);
    p.setPen(QPen(QColor(0x4a, 0x55, 0x60), 2.5));
    p.drawRoundedRect(platform, 9, 9);

    const QRectF display(171, 210, 34, 17);
    p.setBrush(QColor(0x1c, 0x36, 0x2a));
    p.setPen(QPen(QColor(0x4a, 0x55, 0x60), 1.5));
    p.drawRoundedRect(display, 3, 3);
    p.setPen(QColor(0x6c, 0xf0, 0x8a));
    p.setFont(pictureFont(QStringLiteral("Liberation Mono"), QStringLiteral("Bold"), 14));
    p.drawText(display, Qt::AlignCenter, QStringLiteral("22"));
}

} // namespace

QImage logoPicture()
{
    QImage image(376, 347, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p;
    begin(p, image);

    const QRectF heartBounds(60, 12, 256, 236);
    QLinearGradient red(0, heartBounds.top(), 0, heartBounds.bottom());
    red.setColorAt(0, QColor(0xff, 0x72, 0x6e));
    red.setColorAt(1, QColor(0xc4, 0x1a, 0x38));
    p.setBrush(red);
    p.setPen(QPen(QColor(0xa0, 0x14, 0x2c), 3));
    p.drawPath(heartPath(heartBounds));
    // A soft gloss on the left lobe.
    QRadialGradient gloss(QPointF(118, 62), 46);
    gloss.setColorAt(0, QColor(255, 255, 255, 120));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QPointF(118, 62), 46, 46);

    drawPerson(p);
    drawScale(p);

    p.setFont(pictureFont(QStringLiteral("URW Gothic"), QStringLiteral("Demi"), 76));
    p.setPen(Teal);
    p.drawText(QRectF(0, 250, 376, 90), Qt::AlignCenter, QStringLiteral("Merivex"));
    return image;
}

QImage bannerPicture()
{
    QImage image(452, 54, QImage::Format_RGB32);
    QPainter p;
    begin(p, image);

    QLinearGradient sky(0, 0, 0, 54);
    sky.setColorAt(0, QColor(0xf4, 0xfa, 0xff));
    sky.setColorAt(1, QColor(0xcc, 0xe6, 0xf4));
    p.fillRect(image.rect(), sky);
    p.setPen(QPen(QColor(0x6a, 0x9c, 0xc0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 451, 53));

    // Flag on a pole.
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 7), QPointF(11, 50));
    p.setPen(QPen(QColor(0x8a, 0x64, 0x00), 1));
    p.setBrush(QColor(0xf2, 0xc2, 0x30));
    p.drawEllipse(QPointF(11, 5.5), 3, 3);
    const QRectF flag(13, 8, 60, 40);
    p.fillRect(flag.translated(2, 2), QColor(0, 0, 0, 50));
    drawFlag(p, flag);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(flag.adjusted(0.5, 0.5, -0.5, -0.5));

    const QString slogan = QStringLiteral("Healthy weight, healthy life");
    const QRectF room(84, 0, 452 - 84 - 8, 54);
    int size = 30;
    QFont font;
    do {
        font = pictureFont(QStringLiteral("URW Bookman"), QStringLiteral("Demi Italic"), size--);
    } while (QFontMetricsF(font).horizontalAdvance(slogan) > room.width());
    p.setFont(font);
    p.setPen(QColor(0xff, 0xff, 0xff, 200));
    p.drawText(room.translated(1, 1), Qt::AlignCenter, slogan);
    p.setPen(QColor(0x17, 0x4a, 0x78));
    p.drawText(room, Qt::AlignCenter, slogan);
    return image;
}

QImage badgePicture()
{
    QImage image(131, 129, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p;
    begin(p, image);

    const QPointF centre(65.5, 64.5);
    QRadialGradient gold(centre - QPointF(20, 20), 90);
    gold.setColorAt(0, QColor(0xfb, 0xe6, 0x8c));
    gold.setColorAt(1, QColor(0xb0, 0x80, 0x0c));
    p.setBrush(gold);
    p.setPen(QPen(QColor(0x6b, 0x4e, 0x00), 1.5));
    p.drawEllipse(centre, 62.8, 62.8);

    // Small stars on the gold ring.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int k = 0; k < 12; ++k) {
        const qreal a = (k * 30 - 90) * M_PI / 180;
        p.drawPath(star(centre + QPointF(59 * std::cos(a), 59 * std::sin(a)), 3.1));
    }

    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x6b, 0x4e, 0x00), 1));
    p.drawEllipse(centre, 55, 55);
    QPainterPath disc;
    disc.addEllipse(centre, 52, 52);
    p.setClipPath(disc);
    drawFlag(p, QRectF(centre.x() - 78, centre.y() - 52, 156, 104));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.drawEllipse(centre, 52, 52);
    return image;
}
