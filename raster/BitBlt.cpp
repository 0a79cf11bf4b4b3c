#include "raster/RowKernels.h"
#include "raster/SurfaceRows.h"

#include <algorithm>
#include <cstring>
#include <memory>

// Whole-surface raster operations, row by row. Work on one row stays in the
// cache, so a blit costs one pass over the picture in memory, also when it
// first reproduces the old content of a shared, solid or recorded
// destination. A 1-bit blit onto a solid or shared 24-bit surface is only
// recorded (see Surface::Pending); the next blit onto that surface, or the
// first read of its pixels, carries out both in the same pass.

namespace masume {

namespace {

bool leavesAsIs(RasterOp op, Colour source)
{
    return op == RasterOp::SRCPAINT ? source == Black : source == White;
}

} // namespace

void SurfaceWriter::rowInto(const Surface &s, int y, uint8_t *out)
{
    const int bpp = s.bytesPerPixel();
    const size_t bytes = size_t(s.m_width) * size_t(bpp);
    if (s.m_pixels) {
        std::memcpy(out, s.m_pixels.get() + ptrdiff_t(y) * s.stride(), bytes);
        return;
    }
    if (!s.m_pending) {
        uint8_t value[3];
        s.colourBytes(s.m_solid, value);
        rows::fill(out, s.m_width, bpp, value);
        return;
    }
    baseRowInto(s, y, out);
    const Surface::Pending &p = *s.m_pending;
    rows::combineMono(p.op, out, p.mono.get() + ptrdiff_t(y) * s.m_width, s.m_width);
}

void SurfaceWriter::baseRowInto(const Surface &s, int y, uint8_t *out)
{
    const Surface::Pending &p = *s.m_pending;
    if (p.base) {
        std::memcpy(out, p.base.get() + ptrdiff_t(y) * s.stride(),
                    size_t(s.m_width) * size_t(s.bytesPerPixel()));
        return;
    }
    uint8_t value[3];
    s.colourBytes(p.baseColour, value);
    rows::fill(out, s.m_width, s.bytesPerPixel(), value);
}

const uint8_t *SurfaceWriter::row(const Surface &s, int y, uint8_t *scratch)
{
    if (s.m_pixels)
        return s.m_pixels.get() + ptrdiff_t(y) * s.stride();
    rowInto(s, y, scratch);
    return scratch;
}

void SurfaceWriter::blit(Surface &dst, const Surface &src, RasterOp op)
{
    const int w = std::min(dst.m_width, src.m_width);
    const int h = std::min(dst.m_height, src.m_height);
    if (w <= 0 || h <= 0)
        return;
    const bool whole = w == dst.m_width && h == dst.m_height;
    if (src.isSolid() && leavesAsIs(op, src.m_solid))
        return;
    if (whole && dst.isSolid() && src.isSolid()) {
        const Colour c = rows::combineColours(op, src.m_solid, dst.m_solid);
        dst.m_solid = dst.m_format == PixelFormat::Mono1 ? (isLight(c) ? White : Black) : c;
        return;
    }

    // Record a 1-bit blit that would otherwise need fresh storage anyway.
    const bool sharedOrSolid = !dst.m_pixels || dst.m_pixels.use_count() > 1;
    if (whole && !dst.m_pending && sharedOrSolid && dst.m_format == PixelFormat::Rgb24
        && src.m_format == PixelFormat::Mono1 && src.m_pixels && src.m_width == dst.m_width) {
        dst.m_pending = std::make_shared<const Surface::Pending>(
            Surface::Pending {op, std::move(dst.m_pixels), dst.m_solid, src.m_pixels});
        dst.m_pixels.reset();
        return;
    }

    // The result goes into storage of dst's own: in place when dst owns its
    // pixels; otherwise fresh storage, into which each row's old content is
    // first reproduced. A partial blit keeps the rest of dst, so it makes
    // the pixels its own first.
    if (!whole)
        dst.detach();
    Surface old; // the old content, when it is not dst's own storage
    if (!dst.m_pixels || dst.m_pixels.use_count() > 1) {
        old = dst;
        dst.m_pending.reset();
        dst.m_pixels = PixelBuffer::allocate(dst.byteCount());
    }
    const bool fresh = !old.isEmpty();
    const ptrdiff_t ds = dst.stride();
    const int dstBpp = dst.bytesPerPixel();
    const ptrdiff_t used = ptrdiff_t(dst.m_width) * dstBpp;
    std::unique_ptr<uint8_t[]> scratch(new uint8_t[size_t(src.stride())]);

    // A recorded 1-bit blit onto a solid colour as the source has just two
    // colours, chosen per pixel by its mask: no source row is built.
    const bool srcSelect
        = src.m_pending && !src.m_pending->base && dst.m_format == PixelFormat::Rgb24;
    rows::PixelMap m0 {}, m1 {};
    if (srcSelect) {
        const Surface::Pending &p = *src.m_pending;
        uint8_t v0[3], v1[3];
        src.colourBytes(rows::combineColours(p.op, Black, p.baseColour), v0);
        src.colourBytes(rows::combineColours(p.op, White, p.baseColour), v1);
        m0 = rows::mapOf(op, v0);
        m1 = rows::mapOf(op, v1);
    }
    // When the old content is itself a recorded blit of the same mask (the
    // composite: mask onto the background, then the colour layer made with
    // that mask), both maps are chained and the mask is read once per row.
    const bool sameMask = fresh && srcSelect && old.m_pending
        && old.m_pending->mono == src.m_pending->mono && old.m_width == src.m_width;
    if (sameMask) {
        m0 = rows::chain(rows::mapOfMaskPixel(old.m_pending->op, false), m0);
        m1 = rows::chain(rows::mapOfMaskPixel(old.m_pending->op, true), m1);
    }

    for (int y = 0; y < h; ++y) {
        uint8_t *out = dst.m_pixels.get() + y * ds;
        if (sameMask)
            baseRowInto(old, y, out);
        else if (fresh)
            rowInto(old, y, out);
        if (fresh && ds > used)
            std::memset(out + used, 0, size_t(ds - used));
        if (srcSelect) {
            const uint8_t *mask = src.m_pending->mono.get() + ptrdiff_t(y) * src.m_width;
            rows::mapByMask(out, mask, w, m0, m1);
            continue;
        }
        const uint8_t *s = row(src, y, scratch.get());
        if (dst.m_format == src.m_format)
            rows::combine(op, out, s, size_t(w) * size_t(dstBpp));
        else if (src.m_format == PixelFormat::Mono1)
            rows::combineMono(op, out, s, w);
        else
            rows::combineRgbOntoMono(op, out, s, w);
    }
}

void BitBlt(Surface &destination, const Surface &source, RasterOp op)
{
    if (&destination == &source) {
        const Surface copy = source;
        SurfaceWriter::blit(destination, copy, op);
        return;
    }
    SurfaceWriter::blit(destination, source, op);
}

} // namespace masume
