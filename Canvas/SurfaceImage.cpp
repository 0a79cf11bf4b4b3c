#include "Canvas/SurfaceImage.h"

namespace masume::ui {

namespace {

void releaseStorage(void *share)
{
    delete static_cast<PixelBuffer::Ptr *>(share);
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
    const uint8_t *rows = surface.constScanLine(0);
    auto *share = new PixelBuffer::Ptr(surface.pixelStorage());
    return QImage(rows, surface.width(), surface.height(), qsizetype(surface.stride()),
                  QImage::Format_BGR888, releaseStorage, share);
}

} // namespace masume::ui
