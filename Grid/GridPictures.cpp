#include "Grid/GridPictures.h"

#include <QImage>

// Resources of a static library register only when referenced.
static void initGridResources()
{
    Q_INIT_RESOURCE(grid);
}

namespace masume::ui {

namespace {

// The picture with its border colour, that of the bottom-left pixel, made
// transparent.
QPixmap withTransparentBorder(const QString &path)
{
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const QRgb border = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == border)
                row[x] = qRgba(0, 0, 0, 0);
    }
    return QPixmap::fromImage(image);
}

} // namespace

QList<QPixmap> gridPictures()
{
    initGridResources();
    static const char *const names[] = {
        "plain",          "ring",     "square",      "diamond",   "bricks-rows",
        "bricks-columns", "hex-rows", "hex-columns", "triangles", "triangles-turned",
    };
    QList<QPixmap> pictures;
    for (const char *name : names)
        pictures.append(
            withTransparentBorder(QStringLiteral(":/grid/%1.png").arg(QLatin1String(name))));
    return pictures;
}

} // namespace masume::ui
