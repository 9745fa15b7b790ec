// Writes every icon (at 32 and 16 pixels), the application icon at the
// desktop's larger sizes, and every picture as a PNG file into the folder
// given on the command line.
#include "draw.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

namespace
{

QImage icon(const IconDesign &design, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    design.paint(p, size < 32);
    return image;
}

// Perceptual weighting of the channels ("redmean").
int distance(QRgb a, QRgb b)
{
    const int r = (qRed(a) + qRed(b)) / 2;
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return ((512 + r) * dr * dr >> 8) + 4 * dg * dg + ((767 - r) * db * db >> 8);
}

// Pixels at least half covered become opaque, blended over a light grey
// close to a button face, and take the nearest palette colour; the rest
// become transparent, as an icon mask knows only on and off.
QImage reduce(const QImage &art, const std::vector<QColor> &palette)
{
    QList<QRgb> table{qRgba(0, 0, 0, 0)};
    for (const QColor &colour : palette)
        table << colour.rgb();
    Q_ASSERT(table.size() <= 16);
    const QRgb matte = qRgb(0xe0, 0xe0, 0xe0);

    const QImage source = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(source.size(), QImage::Format_Indexed8);
    out.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb c = source.pixel(x, y);
            const int a = qAlpha(c);
            int best = 0;
            if (a >= 128) {
                const auto blend = [a](int fg, int bg) { return (fg * a + bg * (255 - a)) / 255; };
                const QRgb flat = qRgb(blend(qRed(c), qRed(matte)), blend(qGreen(c), qGreen(matte)),
                                       blend(qBlue(c), qBlue(matte)));
                best = 1;
                for (int i = 2; i < table.size(); ++i)
                    if (distance(flat, table[i]) < distance(flat, table[best]))
                        best = i;
            }
            out.setPixel(x, y, best);
        }
    }
    return out;
}

bool save(const QImage &image, const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const IconDesign &design : iconDesigns())
        for (int size : {32, 16})
            ok &= save(reduce(icon(design, size), design.palette), dir,
                       QStringLiteral("%1-%2").arg(QLatin1String(design.name)).arg(size));
    // The application icon at the larger sizes desktops show, in full colour.
    for (const IconDesign &design : iconDesigns())
        if (qstrcmp(design.name, "handshake") == 0)
            for (int size : {48, 64, 128, 256})
                ok &= save(icon(design, size), dir, QStringLiteral("merivex-%1").arg(size));
    ok &= save(logoPicture(), dir, QStringLiteral("logo"));
    ok &= save(bannerPicture(), dir, QStringLiteral("banner"));
    ok &= save(badgePicture(), dir, QStringLiteral("badge"));
    return ok ? 0 : 1;
}
