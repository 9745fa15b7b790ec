#include "draw.h"

#include <QPainter>
#include <cmath>

void drawFlag(QPainter &p, const QRectF &r)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.fillRect(r, QColor(0x3a, 0xa6, 0x57));

    // Teal above a white wave; the green shows below it.
    const auto wave = [&r](qreal offset) {
        QPolygonF points;
        for (int i = 0; i <= 48; ++i) {
            const qreal x = r.left() + r.width() * i / 48;
            const qreal phase = 3 * M_PI * i / 48;
            points << QPointF(x, r.top() + r.height() * (0.5 + offset + 0.07 * std::sin(phase)));
        }
        return points;
    };
    QPolygonF teal = wave(-0.09);
    teal << r.topRight() << r.topLeft();
    QPolygonF white = wave(0.09);
    white << r.topRight() << r.topLeft();
    p.setBrush(Qt::white);
    p.drawPolygon(white);
    p.setBrush(QColor(0x14, 0x80, 0x8a));
    p.drawPolygon(teal);

    const qreal hw = r.height() * 0.46, hh = r.height() * 0.42;
    const QRectF heart(r.center().x() - hw / 2, r.center().y() - hh / 2, hw, hh);
    p.setBrush(QColor(0xd7, 0x26, 0x3d));
    p.setPen(QPen(QColor(0xf2, 0xc2, 0x30), r.height() * 0.035));
    p.drawPath(heartPath(heart));
    p.restore();
}
