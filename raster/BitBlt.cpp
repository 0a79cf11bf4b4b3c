#include "raster/RowKernels.h"
#include "raster/SurfaceRows.h"

#include <algorithm>
#include <cstring>
#include <memory>

// Whole-surface raster operations, row by row. Work on one row stays in the
// cache, so a blit costs one pass over the picture in memory, also when it
// first reproduces the old content of a shared, solid or recorded
// destination. Blits of a mask onto a solid or shared 24-bit surface are
// only recorded (see Surface::Pending), and so are further blits of the
// same mask, or of a layer made of two colours by it, onto that record: the
// composite with grid is such a record, and whoever reads its rows (the
// view, a writer, or the first drawing on it) builds them in one pass.

namespace masume {

namespace {

bool leavesAsIs(RasterOp op, Colour source)
{
    return op == RasterOp::SRCPAINT ? source == Black : source == White;
}

// A source that takes part as one colour where a mask is black and another
// where it is white: the mask itself, or a recorded blit of a mask onto a
// solid colour. `onBlack` and `onWhite` are the maps `op` then applies to
// the destination's pixels.
struct MaskedSource
{
    PixelBuffer::Ptr mono;
    rows::PixelMap onBlack {}, onWhite {};
};

bool maskedSource(const Surface::Pending *pending, const PixelBuffer::Ptr &monoPixels, RasterOp op,
                  MaskedSource &out)
{
    if (monoPixels) {
        out.mono = monoPixels;
        out.onBlack = rows::mapOfMaskPixel(op, false);
        out.onWhite = rows::mapOfMaskPixel(op, true);
        return true;
    }
    if (!pending || pending->base)
        return false;
    const Colour c = pending->baseColour;
    uint8_t black[3] = {blueOf(c), greenOf(c), redOf(c)};
    uint8_t white[3] = {black[0], black[1], black[2]};
    rows::mapPixel(pending->onBlack, black);
    rows::mapPixel(pending->onWhite, white);
    out.mono = pending->mono;
    out.onBlack = rows::mapOf(op, black);
    out.onWhite = rows::mapOf(op, white);
    return true;
}

} // namespace

void SurfaceWriter::rowInto(const Surface &s, int y, uint8_t *out)
{
    partInto(s, y, 0, s.m_width, out);
}

void SurfaceWriter::partInto(const Surface &s, int y, int left, int count, uint8_t *out)
{
    const int bpp = s.bytesPerPixel();
    const size_t bytes = size_t(count) * size_t(bpp);
    const ptrdiff_t offset = ptrdiff_t(y) * s.stride() + ptrdiff_t(left) * bpp;
    if (s.m_pixels) {
        std::memcpy(out, s.m_pixels.get() + offset, bytes);
        return;
    }
    if (!s.m_pending) {
        uint8_t value[3];
        s.colourBytes(s.m_solid, value);
        rows::fill(out, count, bpp, value);
        return;
    }
    const Surface::Pending &p = *s.m_pending;
    if (p.base) {
        std::memcpy(out, p.base.get() + offset, bytes);
    } else {
        uint8_t value[3];
        s.colourBytes(p.baseColour, value);
        rows::fill(out, count, bpp, value);
    }
    const uint8_t *mask = p.mono.get() + ptrdiff_t(y) * s.m_width + left;
    rows::mapByMask(out, mask, count, p.onBlack, p.onWhite);
}

const uint8_t *SurfaceWriter::row(const Surface &s, int y, uint8_t *scratch)
{
    if (s.m_pixels)
        return s.m_pixels.get() + ptrdiff_t(y) * s.stride();
    rowInto(s, y, scratch);
    return scratch;
}

bool SurfaceWriter::record(Surface &dst, const Surface &src, RasterOp op)
{
    if (dst.m_format != PixelFormat::Rgb24 || src.m_width != dst.m_width)
        return false;
    MaskedSource m;
    const PixelBuffer::Ptr monoPixels
        = src.m_format == PixelFormat::Mono1 ? src.m_pixels : PixelBuffer::Ptr();
    const Surface::Pending *srcPending
        = src.m_format == PixelFormat::Rgb24 ? src.m_pending.get() : nullptr;
    if (!maskedSource(srcPending, monoPixels, op, m))
        return false;
    std::shared_ptr<const Surface::Pending> next;
    if (dst.m_pending) {
        const Surface::Pending &p = *dst.m_pending;
        if (p.mono != m.mono)
            return false;
        next = std::make_shared<const Surface::Pending>(
            Surface::Pending {p.base, p.baseColour, p.mono, rows::chain(p.onBlack, m.onBlack),
                              rows::chain(p.onWhite, m.onWhite)});
    } else {
        // A surface with storage of its own is combined in place, which
        // costs no more than recording.
        if (dst.m_pixels && dst.m_pixels.use_count() == 1)
            return false;
        next = std::make_shared<const Surface::Pending>(
            Surface::Pending {dst.m_pixels, dst.m_solid, m.mono, m.onBlack, m.onWhite});
    }
    dst.m_pending = std::move(next);
    dst.m_pixels.reset();
    return true;
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
    if (whole && record(dst, src, op))
        return;

    // The result goes into storage of dst's own: in place when dst owns its
    // pixels; otherwise fresh storage, into which each row's old content is
    // first reproduced. A partial blit keeps the rest of dst, so it makes
    // the pixels its own first.
    if (!whole)
        dst.detach();
    Surface old; // the old content, when it is not dst's own storage
    if (!dst.m_pixels || dst.m_pixels.use_count() > 1) {
        old = dst;
        dst.m_pixels = PixelBuffer::allocate(dst.byteCount());
        dst.m_pending.reset();
    }
    const bool fresh = !old.isEmpty();
    const ptrdiff_t ds = dst.stride();
    const int dstBpp = dst.bytesPerPixel();
    const ptrdiff_t used = ptrdiff_t(dst.m_width) * dstBpp;
    std::unique_ptr<uint8_t[]> scratch(new uint8_t[size_t(src.stride())]);

    // A source of two colours chosen by a mask is applied as two maps: no
    // source row is built.
    MaskedSource m;
    const bool select = dst.m_format == PixelFormat::Rgb24 && src.m_format == PixelFormat::Rgb24
        && maskedSource(src.m_pending.get(), {}, op, m);

    for (int y = 0; y < h; ++y) {
        uint8_t *out = dst.m_pixels.get() + y * ds;
        if (fresh) {
            rowInto(old, y, out);
            if (ds > used)
                std::memset(out + used, 0, size_t(ds - used));
        }
        if (select) {
            rows::mapByMask(out, m.mono.get() + ptrdiff_t(y) * src.m_width, w, m.onBlack,
                            m.onWhite);
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
