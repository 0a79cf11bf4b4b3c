#include "Grid/MaskPen.h"

#include <cstring>

namespace masume {

MaskPen::MaskPen(Surface &surface)
    : m_surface(&surface)
    , m_pos(surface.penPosition())
{
    const Colour pen = surface.penColor();
    if (surface.pixelFormat() == PixelFormat::Mono1) {
        const uint8_t value = isLight(pen) ? 0xFF : 0x00;
        m_target.value[0] = m_target.value[1] = m_target.value[2] = value;
    } else {
        m_target.value[0] = blueOf(pen);
        m_target.value[1] = greenOf(pen);
        m_target.value[2] = redOf(pen);
    }
    m_target.bytesPerPixel = surface.bytesPerPixel();
    m_target.stride = surface.stride();
    m_target.width = surface.width();
    m_target.height = surface.height();
}

MaskPen::MaskPen(const LineTarget &band, int64_t top)
    : m_target(band)
    , m_top(top)
{
}

namespace {

// The pixels of a line along one axis from a0 to a1 (a0 != a1) run from its
// start up to, not including, its end: [a0, a1) forward, (a1, a0] backward.
// True when they all lie in [0, size), with them in [lo, hi).
inline bool runInside(int64_t a0, int64_t a1, int64_t size, int64_t &lo, int64_t &hi)
{
    if (a0 < a1) {
        lo = a0;
        hi = a1;
        return a0 >= 0 && a1 <= size;
    }
    if (a1 < -1 || a0 >= size)
        return false;
    lo = a1 + 1;
    hi = a0 + 1;
    return true;
}

inline void put3(uint8_t *p, const uint8_t *value)
{
    p[0] = value[0];
    p[1] = value[1];
    p[2] = value[2];
}

} // namespace

inline void MaskPen::segment(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    const LineTarget &t = m_target;
    if (t.width <= 0 || t.height <= 0 || (x0 == x1 && y0 == y1))
        return;
    if (!m_target.bits) // the surface's own pixels, taken once
        m_target.bits = m_surface->scanLine(0);
    // The band's rows count from its top; a shift of the whole line moves
    // its pixels and nothing else, ties included.
    y0 -= m_top;
    y1 -= m_top;
    // Lines of a pixel or two are the common case in fine grids: plain
    // stores, no library calls.
    int64_t lo, hi;
    if (y0 == y1 && uint64_t(y0) < uint64_t(t.height) && runInside(x0, x1, t.width, lo, hi)) {
        uint8_t *p = t.bits + y0 * t.stride + lo * t.bytesPerPixel;
        if (t.bytesPerPixel != 1) {
            for (int64_t x = lo; x < hi; ++x, p += 3)
                put3(p, t.value);
        } else if (hi - lo > 16) {
            std::memset(p, t.value[0], size_t(hi - lo));
        } else {
            for (int64_t x = lo; x < hi; ++x)
                *p++ = t.value[0];
        }
        return;
    }
    if (x0 == x1 && uint64_t(x0) < uint64_t(t.width) && runInside(y0, y1, t.height, lo, hi)) {
        uint8_t *p = t.bits + lo * t.stride + x0 * t.bytesPerPixel;
        if (t.bytesPerPixel != 1) {
            for (int64_t y = lo; y < hi; ++y, p += t.stride)
                put3(p, t.value);
        } else {
            for (int64_t y = lo; y < hi; ++y, p += t.stride)
                *p = t.value[0];
        }
        return;
    }
    drawLine(t, x0, y0, x1, y1);
}

MaskPen::~MaskPen()
{
    if (m_surface)
        m_surface->MoveTo(m_pos.x, m_pos.y);
}

void MaskPen::MoveTo(int64_t x, int64_t y)
{
    m_pos = {x, y};
}

void MaskPen::LineTo(int64_t x, int64_t y)
{
    segment(m_pos.x, m_pos.y, x, y);
    m_pos = {x, y};
}

void MaskPen::Polyline(std::span<const Point> points)
{
    for (size_t i = 1; i < points.size(); ++i)
        segment(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

} // namespace masume
