#pragma once

#include <cstddef>
#include <cstdint>

namespace masume {

// How a stored picture is turned to be seen upright, numbered as the Exif
// tag 0x0112 numbers it (where the stored first row and first column are
// seen):
//   1 as stored (top, left)          5 mirrored along the main diagonal (left, top)
//   2 mirrored left to right (top, right)   6 turned a quarter clockwise (right, top)
//   3 turned half round (bottom, right)     7 mirrored along the other diagonal (right, bottom)
//   4 mirrored top to bottom (bottom, left) 8 turned a quarter anticlockwise (left, bottom)
// Any other number counts as 1.
bool swapsSides(int orientation); // 5 to 8: the upright width is the stored height

struct UprightPoint
{
    int64_t x, y;
};

// Where the stored pixel (x, y) of a w x h picture lies in the upright
// picture (which is h x w for 5 to 8).
UprightPoint uprightPixel(int orientation, int64_t x, int64_t y, int64_t w, int64_t h);

// Places `count` stored rows of a w x h picture, the first of them stored
// row `first`, into the upright picture. The stored rows are `rowStride`
// bytes apart from `rows` on; each holds w pixels of 3 bytes. The upright
// picture has `uprightStride` bytes per row from `upright` on, 3 bytes per
// pixel. Only the pixels of these rows are written. Plain code that
// neither allocates nor raises: it may run inside a C library's callback.
//
// Costs one copy of 3 bytes per pixel; for 5 to 8 each stored column lands
// in one upright row, so a band of rows writes `count` pixels in a row at a
// time: bands of some tens of rows keep that near the speed of a copy.
void placeStoredRows(int orientation, const uint8_t *rows, ptrdiff_t rowStride, int first,
                     int count, int w, int h, uint8_t *upright, ptrdiff_t uprightStride);

} // namespace masume
