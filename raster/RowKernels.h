#pragma once

#include "raster/Surface.h"

#include <cstddef>
#include <cstdint>

// Row loops of the raster operations. Rows are raw pixel bytes in the
// layout of raster/Surface.h. Each costs one pass over its bytes.
namespace masume::rows {

// `pixels` pixels of `bpp` bytes each (1 or 3), all `value`.
void fill(uint8_t *out, int64_t pixels, int bpp, const uint8_t value[3]);

// out = src OP out, byte by byte over `bytes` bytes (same format on both sides).
void combine(RasterOp op, uint8_t *out, const uint8_t *src, size_t bytes);

// out = mask OP out on 24-bit pixels, each mask byte (0x00 or 0xFF) taking
// part as the colour 0x000000 or 0xFFFFFF.
void combineMono(RasterOp op, uint8_t *out, const uint8_t *mask, int64_t pixels);

// A map of 24-bit pixels, the same for each pixel: colour byte k of a pixel
// d becomes (d & a[k]) | b[k]. A raster operation with a fixed source colour
// is such a map, and so is any sequence of them.
struct PixelMap
{
    uint8_t a[3];
    uint8_t b[3];
};

// The colour bytes p mapped by m, in place.
inline void mapPixel(const PixelMap &m, uint8_t p[3])
{
    for (int k = 0; k < 3; ++k)
        p[k] = uint8_t((p[k] & m.a[k]) | m.b[k]);
}

// d -> source OP d.
PixelMap mapOf(RasterOp op, const uint8_t source[3]);
// d -> m OP d for a mask pixel m, taken as 0xFFFFFF when white and
// 0x000000 when black.
PixelMap mapOfMaskPixel(RasterOp op, bool white);
// first, then second.
PixelMap chain(const PixelMap &first, const PixelMap &second);

// Each 24-bit pixel of out mapped by m1 where the mask is white and by m0
// where it is black. Groups of pixels whose map leaves them as they are
// are not touched, so a thin grid mask costs little more than reading it.
void mapByMask(uint8_t *out, const uint8_t *mask, int64_t pixels, const PixelMap &m0,
               const PixelMap &m1);

// A 24-bit source onto 1-bit pixels: the channels' result, taken as the
// nearer of black and white.
void combineRgbOntoMono(RasterOp op, uint8_t *out, const uint8_t *src, int64_t pixels);

Colour combineColours(RasterOp op, Colour source, Colour destination);

} // namespace masume::rows
