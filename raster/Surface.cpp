#include "raster/Surface.h"

#include "raster/Line.h"
#include "raster/RowKernels.h"
#include "raster/SurfaceRows.h"

#include <algorithm>
#include <cstring>

namespace masume {

namespace {

// Fills `rows` rows of `bytes` bytes each, `stride` apart, by copying the
// first filled row.
void fillRows(uint8_t *first, ptrdiff_t stride, int rows, int64_t pixels, int bpp,
              const uint8_t value[3])
{
    if (rows <= 0 || pixels <= 0)
        return;
    rows::fill(first, pixels, bpp, value);
    for (int y = 1; y < rows; ++y)
        std::memcpy(first + y * stride, first, size_t(pixels) * bpp);
}

} // namespace

Surface::Surface(int width, int height, PixelFormat format, Colour fill)
    : m_format(format)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_solid = format == PixelFormat::Mono1 ? (isLight(fill) ? White : Black) : (fill & White);
}

void Surface::colourBytes(Colour c, uint8_t out[3]) const
{
    if (m_format == PixelFormat::Mono1) {
        out[0] = out[1] = out[2] = isLight(c) ? 0xFF : 0x00;
    } else {
        out[0] = blueOf(c);
        out[1] = greenOf(c);
        out[2] = redOf(c);
    }
}

void Surface::materialise() const
{
    if (m_pixels)
        return;
    const ptrdiff_t s = stride();
    auto pixels = PixelBuffer::allocate(byteCount());
    uint8_t *base = pixels.get();
    const ptrdiff_t used = ptrdiff_t(m_width) * bytesPerPixel();
    for (int y = 0; y < m_height; ++y) {
        SurfaceWriter::rowInto(*this, y, base + y * s);
        // Row padding is kept zero, as a BMP row wants it.
        if (s > used)
            std::memset(base + y * s + used, 0, size_t(s - used));
    }
    m_pixels = std::move(pixels);
    m_pending.reset();
}

Colour Surface::pendingPixel(int x, int y) const
{
    const Pending &p = *m_pending;
    uint8_t q[3];
    if (p.base)
        std::memcpy(q, p.base.get() + ptrdiff_t(y) * stride() + ptrdiff_t(x) * 3, 3);
    else
        colourBytes(p.baseColour, q);
    rows::mapPixel(p.mono.get()[ptrdiff_t(y) * m_width + x] ? p.onWhite : p.onBlack, q);
    return rgb(q[2], q[1], q[0]);
}

uint8_t *Surface::pixelsForOverwrite()
{
    if (!m_pixels || m_pixels.use_count() > 1) {
        auto pixels = PixelBuffer::allocate(byteCount());
        const ptrdiff_t s = stride();
        const ptrdiff_t used = ptrdiff_t(m_width) * bytesPerPixel();
        if (s > used)
            for (int y = 0; y < m_height; ++y)
                std::memset(pixels.get() + y * s + used, 0, size_t(s - used));
        m_pixels = std::move(pixels);
    }
    m_pending.reset();
    return m_pixels.get();
}

void Surface::detach()
{
    if (!m_pixels) {
        materialise();
        return;
    }
    if (m_pixels.use_count() == 1)
        return;
    auto own = PixelBuffer::allocate(byteCount());
    std::memcpy(own.get(), m_pixels.get(), byteCount());
    m_pixels = std::move(own);
}

void Surface::setPixelFormat(PixelFormat format)
{
    if (format == m_format)
        return;
    Surface converted(m_width, m_height, format);
    converted.m_pen = m_pen;
    converted.m_brush = m_brush;
    converted.m_penPos = m_penPos;
    if (isSolid() || isEmpty()) {
        converted.m_solid
            = format == PixelFormat::Mono1 ? (isLight(m_solid) ? White : Black) : m_solid;
        *this = std::move(converted);
        return;
    }
    for (int y = 0; y < m_height; ++y) {
        const uint8_t *in = constScanLine(y);
        uint8_t *out = converted.scanLine(y);
        if (format == PixelFormat::Rgb24) {
            for (int x = 0; x < m_width; ++x)
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        } else {
            for (int x = 0; x < m_width; ++x)
                out[x] = isLight(rgb(in[3 * x + 2], in[3 * x + 1], in[3 * x])) ? 0xFF : 0x00;
        }
    }
    *this = std::move(converted);
}

void Surface::resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    const bool keepsNothing = isEmpty() || width == 0 || height == 0;
    const Colour brush
        = m_format == PixelFormat::Mono1 ? (isLight(m_brush) ? White : Black) : m_brush;
    if (keepsNothing || (isSolid() && m_solid == brush)) {
        m_pixels.reset();
        m_pending.reset();
        m_solid = keepsNothing ? brush : m_solid;
        m_width = width;
        m_height = height;
        return;
    }
    const int rows = std::min(height, m_height);
    const int columns = std::min(width, m_width);
    const Surface old = *this; // shares the pixels, solid colour or recorded blit
    std::unique_ptr<uint8_t[]> scratch(new uint8_t[size_t(old.stride())]);
    m_pixels.reset();
    m_pending.reset();
    m_width = width;
    m_height = height;
    m_solid = brush;
    materialise();
    const size_t bytes = size_t(columns) * bytesPerPixel();
    for (int y = 0; y < rows; ++y)
        std::memcpy(m_pixels.get() + y * stride(), SurfaceWriter::row(old, y, scratch.get()),
                    bytes);
}

void Surface::setWidth(int width)
{
    resize(width, m_height);
}

void Surface::setHeight(int height)
{
    resize(m_width, height);
}

void Surface::setSize(int width, int height)
{
    resize(width, height);
}

void Surface::assign(const Surface &source)
{
    if (this == &source)
        return;
    m_width = source.m_width;
    m_height = source.m_height;
    m_format = source.m_format;
    m_pixels = source.m_pixels;
    m_solid = source.m_solid;
    m_pending = source.m_pending;
}

void Surface::FillRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, m_width);
    bottom = std::min<int64_t>(bottom, m_height);
    if (left >= right || top >= bottom)
        return;
    const Colour brush
        = m_format == PixelFormat::Mono1 ? (isLight(m_brush) ? White : Black) : m_brush;
    if (left == 0 && top == 0 && right == m_width && bottom == m_height) {
        m_pixels.reset();
        m_pending.reset();
        m_solid = brush;
        return;
    }
    if (isSolid() && m_solid == brush)
        return;
    detach();
    uint8_t value[3];
    colourBytes(brush, value);
    const int bpp = bytesPerPixel();
    fillRows(m_pixels.get() + top * stride() + left * bpp, stride(), int(bottom - top),
             right - left, bpp, value);
}

void Surface::drawSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    LineTarget target {m_pixels.get(), stride(), bytesPerPixel(), m_width, m_height, {}};
    colourBytes(m_pen, target.value);
    drawLine(target, x0, y0, x1, y1);
}

void Surface::MoveTo(int64_t x, int64_t y)
{
    m_penPos = {x, y};
}

void Surface::LineTo(int64_t x, int64_t y)
{
    if (!isEmpty()) {
        detach();
        drawSegment(m_penPos.x, m_penPos.y, x, y);
    }
    m_penPos = {x, y};
}

void Surface::Polyline(std::span<const Point> points)
{
    if (isEmpty() || points.size() < 2)
        return;
    detach();
    LineTarget target {m_pixels.get(), stride(), bytesPerPixel(), m_width, m_height, {}};
    colourBytes(m_pen, target.value);
    for (size_t i = 1; i < points.size(); ++i)
        drawLine(target, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
}

Colour Surface::pixel(int x, int y) const
{
    if (isSolid())
        return m_solid;
    if (!m_pixels)
        return pendingPixel(x, y);
    const uint8_t *p = constScanLine(y) + ptrdiff_t(x) * bytesPerPixel();
    if (m_format == PixelFormat::Mono1)
        return p[0] ? White : Black;
    return rgb(p[2], p[1], p[0]);
}

void Surface::setPixel(int x, int y, Colour c)
{
    uint8_t *p = scanLine(y) + ptrdiff_t(x) * bytesPerPixel();
    uint8_t value[3];
    colourBytes(c, value);
    std::memcpy(p, value, size_t(bytesPerPixel()));
}

const uint8_t *Surface::constScanLine(int y) const
{
    materialise();
    return m_pixels.get() + ptrdiff_t(y) * stride();
}

uint8_t *Surface::scanLine(int y)
{
    detach();
    return m_pixels.get() + ptrdiff_t(y) * stride();
}

PixelBuffer::Ptr Surface::pixelStorage() const
{
    materialise();
    return m_pixels;
}

Surface resizedCopy(const Surface &surface, int width, int height)
{
    Surface copy = surface;
    copy.setWidth(width);
    copy.setHeight(height);
    return copy;
}

} // namespace masume
