#include "draw.h"

#include <QFontInfo>
#include <QLineF>
#include <QTransform>
#include <QtGlobal>

QFont pictureFont(const QString &family, const QString &style, int pixelSize)
{
    QFont font(family);
    font.setStyleName(style);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QFontInfo info(font);
    // fontconfig names a face that exists both as Type 1 and OpenType with its
    // foundry in brackets.
    const bool sameFamily =
        info.family() == family || info.family().startsWith(family + QStringLiteral(" ["));
    if (!sameFamily || info.styleName() != style)
        qFatal("font %s %s not installed (got %s %s)", qPrintable(family), qPrintable(style),
               qPrintable(info.family()), qPrintable(info.styleName()));
    return font;
}

QPainterPath heartPath(const QRectF &b)
{
    const auto at = [&b](qreal x, qreal y) {
        return QPointF(b.left() + x * b.width(), b.top() + y * b.height());
    };
    QPainterPath path(at(0.5, 1.0));
    path.cubicTo(at(0.35, 0.85), at(0.0, 0.62), at(0.0, 0.32));
    path.cubicTo(at(0.0, 0.1), at(0.15, 0.0), at(0.28, 0.0));
    path.cubicTo(at(0.40, 0.0), at(0.47, 0.08), at(0.5, 0.18));
    path.cubicTo(at(0.53, 0.08), at(0.60, 0.0), at(0.72, 0.0));
    path.cubicTo(at(0.85, 0.0), at(1.0, 0.1), at(1.0, 0.32));
    path.cubicTo(at(1.0, 0.62), at(0.65, 0.85), at(0.5, 1.0));
    path.closeSubpath();
    return path;
}

QPainterPath capsule(QPointF a, QPointF b, qreal width)
{
    const QLineF line(a, b);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, -width / 2, line.length(), width), width / 2, width / 2);
    QTransform t;
    t.translate(a.x(), a.y());
    t.rotate(-line.angle());
    return t.map(path);
}
