#include "Canvas/SurfaceImage.h"

#include "raster/RowReader.h"

#include <cstring>

namespace masume::ui {

namespace {

void releaseStorage(void *share)
{
    delete static_cast<PixelBuffer::Ptr *>(share);
}

// An image over the storage of a 24-bit surface, from `first`.
QImage sharedImage(const Surface &surface, const uint8_t *first, int width, int height)
{
    auto *share = new PixelBuffer::Ptr(surface.pixelStorage());
    return QImage(first, width, height, qsizetype(surface.stride()), QImage::Format_BGR888,
                  releaseStorage, share);
}

} // namespace

QImage surfaceImage(const Surface &surface)
{
    if (surface.isEmpty())
        return {};
    if (surface.pixelFormat() != PixelFormat::Rgb24) {
        Surface wide = surface;
        wide.convertTo24();
        return surfaceImage(wide);
    }
    return sharedImage(surface, surface.constScanLine(0), surface.width(), surface.height());
}

QImage surfaceImagePart(const Surface &surface, const QRect &part)
{
    const QRect inside = part.intersected(QRect(0, 0, surface.width(), surface.height()));
    if (inside.isEmpty())
        return {};
    const int left = inside.x(), width = inside.width();
    const bool wide = surface.pixelFormat() == PixelFormat::Rgb24;
    if (wide && surface.hasStorage()) {
        const uint8_t *first
            = surface.constScanLine(inside.y()) + ptrdiff_t(left) * surface.bytesPerPixel();
        return sharedImage(surface, first, width, inside.height());
    }
    QImage image(width, inside.height(), QImage::Format_BGR888);
    if (image.isNull())
        return image;
    RowReader rows(surface);
    for (int y = 0; y < inside.height(); ++y) {
        const uint8_t *in = rows.part(inside.y() + y, left, width);
        uint8_t *out = image.scanLine(y);
        if (wide) {
            std::memcpy(out, in, size_t(width) * 3);
            continue;
        }
        for (int x = 0; x < width; ++x)
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
    }
    return image;
}

} // namespace masume::ui
