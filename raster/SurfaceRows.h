#pragma once

// Inside the raster library: a surface's rows whatever holds them (own or
// shared storage, one solid colour, or a recorded blit).

#include "raster/Surface.h"

namespace masume {

struct Surface::Pending
{
    RasterOp op;
    PixelBuffer::Ptr base; // null: the base is baseColour all over
    Colour baseColour;
    PixelBuffer::Ptr mono; // the 1-bit source, one byte per pixel, rows of the width
};

class SurfaceWriter
{
public:
    // Row y of s (its width in pixels, in its format) into out.
    static void rowInto(const Surface &s, int y, uint8_t *out);
    // Row y of the base of s's recorded blit, without the blit.
    static void baseRowInto(const Surface &s, int y, uint8_t *out);
    // Row y of s: its storage where it has one, otherwise built in scratch.
    static const uint8_t *row(const Surface &s, int y, uint8_t *scratch);
    static void blit(Surface &dst, const Surface &src, RasterOp op);
};

} // namespace masume
