#pragma once

#include "raster/Surface.h"

#include <cstddef>
#include <cstdint>

namespace masume {

// What a picture is read for, which decides what must fit in memory before
// the reader allocates for it.
enum class PictureUse {
    // The desktop program: the picture becomes its surfaces, so its pixels
    // must stay within picturePixelLimit() (checkPictureSize).
    Whole,
    // Passed on as rows (masume-batch): only what the reader itself holds
    // must fit (checkHeldBytes).
    Rows,
};

// A picture handed out as rows while it is decoded, top row first, each
// row 24 bits per pixel as blue, green, red (a 24-bit surface row without
// its padding). A reader that cannot produce its rows in that order holds
// the picture whole and says so in heldBytes().
//
// The size is known, and checked against the memory guard, before the
// first row is asked for; the stream raises the reader's messages for a
// file that turns out damaged on the way.
class PictureStream
{
public:
    virtual ~PictureStream() = default;
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The next `count` rows into out, `stride` bytes apart (stride >=
    // 3 * width); the bytes of a row beyond 3 * width are left alone.
    // The rows asked for in all never exceed height().
    virtual void readRows(uint8_t *out, ptrdiff_t stride, int count) = 0;
    // The bytes the stream itself holds for the picture beyond a few rows
    // (a whole picture it had to hold, a decoder's coefficients); 0 for a
    // stream that decodes as it goes.
    virtual uint64_t heldBytes() const { return 0; }
    // A stream that holds its picture whole as a 24-bit surface hands it
    // over instead of its rows, so that the desktop program takes it
    // without a copy (the stream is then used up); false for any other.
    virtual bool handOver(Surface &picture) { return false; }

protected:
    int m_width = 0;
    int m_height = 0;
};

} // namespace masume
