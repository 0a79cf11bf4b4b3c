#pragma once

#include "picture/PictureStream.h"
#include "raster/Surface.h"

namespace masume {

// The rows of a picture held whole as a 24-bit surface: for the readers
// whose files give their rows in another order than top-down (run-length
// BMP, a photo to turn upright), and for tests.
class SurfaceStream final : public PictureStream
{
public:
    explicit SurfaceStream(Surface picture);
    void readRows(uint8_t *out, ptrdiff_t stride, int count) override;
    uint64_t heldBytes() const override;
    bool handOver(Surface &picture) override;

private:
    Surface m_picture;
    int m_next = 0;
};

} // namespace masume
