#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <vector>

class QPainter;

// A face of the fonts the project allows (Liberation, URW base35); stops the
// program when fontconfig would hand back another one, so that the pictures
// never change with whatever else is installed.
QFont pictureFont(const QString &family, const QString &style, int pixelSize);

QPainterPath heartPath(const QRectF &bounds);
// A stroke with round ends from a to b, as a filled outline.
QPainterPath capsule(QPointF a, QPointF b, qreal width);

// The Merivex flag: teal over green, parted by a white wave, with a red heart.
void drawFlag(QPainter &p, const QRectF &r);

// An icon is drawn on a 32 x 32 grid; small is the 16 x 16 version, which
// leaves out the finest details and doubles the line widths. Each image is
// reduced to the icon's palette (at most 15 colours, the 16th being the
// transparent one), chosen so that small areas keep their colour.
struct IconDesign {
    const char *name;
    void (*paint)(QPainter &p, bool small);
    std::vector<QColor> palette;
};
const std::vector<IconDesign> &iconDesigns();

QImage logoPicture();
QImage bannerPicture();
QImage badgePicture();
