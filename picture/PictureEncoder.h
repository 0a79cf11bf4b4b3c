#pragma once

#include <cstddef>
#include <cstdint>

namespace masume {

// A writer of one picture file that takes the picture as rows of 24 bits
// per pixel (blue, green, red: a surface row), so that a picture passed on
// as rows is never held whole. Each format says in which order it takes
// the rows; every row is given once.
class PictureEncoder
{
public:
    virtual ~PictureEncoder() = default;
    // Rows y .. y + count - 1, counted from the top, `stride` bytes apart.
    virtual void writeRows(int y, const uint8_t *rows, ptrdiff_t stride, int count) = 0;
    // Ends the file once every row was given.
    virtual void finish() = 0;
};

} // namespace masume
