#pragma once

#include <cstddef>
#include <cstdint>

namespace masume {

// The pixels a line sets, in a raw pixel buffer.
struct LineTarget
{
    uint8_t *bits;
    ptrdiff_t stride;
    int bytesPerPixel; // 1 or 3
    int64_t width;
    int64_t height;
    uint8_t value[3]; // the pixel's bytes
};

// Draws the line from (x0, y0) to (x1, y1), end pixel excluded, clipped to
// the target.
//
// On each step along the longer axis it sets the pixel nearest the ideal
// line. Where the ideal line passes exactly midway between two pixels it
// takes the one with the smaller minor coordinate: the upper one for lines
// more horizontal than vertical, the left one for the others, whichever way
// the line runs. A 45-degree line counts as vertical and has no ties. A line
// from A to B and one from B to A thus differ only at their ends. A
// zero-length line sets nothing.
//
// Clipping is exact: the pixels set are those of the unclipped line that lie
// inside the target. The first and last visible steps are computed, not
// walked to, so the cost depends only on the visible length; any 64-bit
// coordinates are accepted.
void drawLine(const LineTarget &target, int64_t x0, int64_t y0, int64_t x1, int64_t y1);

} // namespace masume
