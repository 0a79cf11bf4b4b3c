#include "picture/Orientation.h"

#include <cstring>

namespace masume {

namespace {

// The upright position of stored pixels as an affine map of bytes: the
// pixel (x, y) goes to origin + x * stepX + y * stepY.
struct ByteMap
{
    ptrdiff_t origin, stepX, stepY;
};

ByteMap byteMap(int orientation, int w, int h, ptrdiff_t stride)
{
    const ptrdiff_t right = ptrdiff_t(w - 1) * 3, bottom = ptrdiff_t(h - 1) * stride;
    // For 5 to 8 the upright rows are as many as the stored columns.
    const ptrdiff_t lastColumn = ptrdiff_t(h - 1) * 3, lastRow = ptrdiff_t(w - 1) * stride;
    switch (orientation) {
    case 2:
        return {right, -3, stride};
    case 3:
        return {bottom + right, -3, -stride};
    case 4:
        return {bottom, 3, -stride};
    case 5:
        return {0, stride, 3};
    case 6:
        return {lastColumn, stride, -3};
    case 7:
        return {lastRow + lastColumn, -stride, -3};
    case 8:
        return {lastRow, -stride, 3};
    default:
        return {0, 3, stride};
    }
}

} // namespace

bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

UprightPoint uprightPixel(int orientation, int64_t x, int64_t y, int64_t w, int64_t h)
{
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {h - 1 - y, x};
    case 7:
        return {h - 1 - y, w - 1 - x};
    case 8:
        return {y, w - 1 - x};
    default:
        return {x, y};
    }
}

void placeStoredRows(int orientation, const uint8_t *rows, ptrdiff_t rowStride, int first,
                     int count, int w, int h, uint8_t *upright, ptrdiff_t uprightStride)
{
    if (count <= 0 || w <= 0)
        return;
    const ByteMap map = byteMap(orientation, w, h, uprightStride);
    const ptrdiff_t start = map.origin + ptrdiff_t(first) * map.stepY;
    const auto copyPixel = [&](int x, int i) {
        const uint8_t *in = rows + ptrdiff_t(i) * rowStride + ptrdiff_t(x) * 3;
        uint8_t *out = upright + (start + ptrdiff_t(x) * map.stepX + ptrdiff_t(i) * map.stepY);
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    };
    if (!swapsSides(orientation)) {
        // Each stored row is one upright row, forwards or backwards.
        for (int i = 0; i < count; ++i) {
            if (map.stepX == 3) {
                std::memcpy(upright + (start + ptrdiff_t(i) * map.stepY),
                            rows + ptrdiff_t(i) * rowStride, size_t(w) * 3);
                continue;
            }
            for (int x = 0; x < w; ++x)
                copyPixel(x, i);
        }
        return;
    }
    // Each stored column is one upright row: a column of the band at a time,
    // so that its pixels land next to each other.
    for (int x = 0; x < w; ++x)
        for (int i = 0; i < count; ++i)
            copyPixel(x, i);
}

} // namespace masume
