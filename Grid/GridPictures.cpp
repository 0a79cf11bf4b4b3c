#include "Grid/GridPictures.h"

#include "Grid/GridKinds.h"

#include <QImage>

#include <array>

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
    // The kinds' pictures, and those of the three indices no kind has.
    std::array<const char *, 10> names {};
    for (const GridKindRow &kind : GridKindTable)
        names[size_t(kind.code)] = kind.picture;
    names[1] = "ring";
    names[8] = "triangles";
    names[9] = "triangles-turned";
    QList<QPixmap> pictures;
    for (const char *name : names)
        pictures.append(
            withTransparentBorder(QStringLiteral(":/grid/%1.png").arg(QLatin1String(name))));
    return pictures;
}

} // namespace masume::ui
