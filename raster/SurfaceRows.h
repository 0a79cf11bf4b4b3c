#pragma once

// Inside the raster library: a surface's rows whatever holds them (own or
// shared storage, one solid colour, or a recorded blit).

#include "raster/RowKernels.h"
#include "raster/Surface.h"

namespace masume {

// Recorded blits of one mask: each pixel is its base pixel mapped by
// `onBlack` where the mask is black and by `onWhite` where it is white. Any
// sequence of blits whose sources are that mask, or a surface made of two
// colours by it (the colour layer), is such a pair of maps.
struct Surface::Pending
{
    PixelBuffer::Ptr base; // null: the base is baseColour all over
    Colour baseColour;
    PixelBuffer::Ptr mono; // the mask, one byte per pixel, rows of the width
    rows::PixelMap onBlack;
    rows::PixelMap onWhite;
};

class SurfaceWriter
{
public:
    // Row y of s (its width in pixels, in its format) into out.
    static void rowInto(const Surface &s, int y, uint8_t *out);
    // Pixels left .. left + count - 1 of row y of s into out; the part lies
    // inside s.
    static void partInto(const Surface &s, int y, int left, int count, uint8_t *out);
    // Row y of s: its storage where it has one, otherwise built in scratch.
    static const uint8_t *row(const Surface &s, int y, uint8_t *scratch);
    static void blit(Surface &dst, const Surface &src, RasterOp op);
    // Records a whole blit of a mask, or of a layer of two colours made by
    // one, onto a 24-bit dst that is solid, shared or already recorded with
    // the same mask. False (dst unchanged) where it cannot be recorded.
    static bool record(Surface &dst, const Surface &src, RasterOp op);
};

} // namespace masume
