#pragma once

#include "raster/Colour.h"
#include "raster/LineSink.h"
#include "raster/PixelBuffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace masume {

enum class PixelFormat : uint8_t {
    Mono1, // black or white
    Rgb24, // any colour
};

enum class RasterOp : uint8_t {
    SRCPAINT, // source OR destination
    MERGEPAINT, // (NOT source) OR destination
    SRCAND, // source AND destination
};

// A raster surface: a bitmap of 1 or 24 bits per pixel with one pen and one
// brush. Width and height may be 0; the surface is then empty and drawing on
// it changes nothing. All drawing is clipped to the surface.
//
// Memory layout, for code that reads or writes rows directly: rows run top
// down, `stride()` bytes apart. A 24-bit row holds blue, green, red per pixel
// and is padded to a multiple of 4 bytes, as a BMP row (Qt's
// QImage::Format_BGR888). A 1-bit row holds one byte per pixel, 0x00 black
// and 0xFF white.
//
// Copies share their pixels until one of them is drawn on (copy on write);
// neither ever sees the other's later changes. A surface filled with one
// colour all over holds no pixels at all until something else is drawn, so
// fills and blits of such surfaces cost nothing. A 1-bit blit onto a solid
// or shared 24-bit surface is only recorded, and so are further blits of
// the same mask (or of a layer of two colours made by it) onto that record:
// they are carried out when the surface is next drawn on or its pixels are
// kept (constScanLine), while a RowReader builds its rows one at a time. The
// composite with grid is such a record, so the redraw chain stores no copy
// of the picture and saving reads it row by row.
class Surface
{
public:
    Surface() = default;
    explicit Surface(PixelFormat format)
        : m_format(format)
    {
    }
    Surface(int width, int height, PixelFormat format = PixelFormat::Rgb24, Colour fill = White);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    PixelFormat pixelFormat() const { return m_format; }
    int bytesPerPixel() const { return m_format == PixelFormat::Rgb24 ? 3 : 1; }
    ptrdiff_t stride() const { return rowBytes(m_width, m_format); }

    // Changes the format; every pixel keeps its colour (towards 1 bit, the
    // nearer of black and white).
    void setPixelFormat(PixelFormat format);
    // Converts to 24 bits per pixel, every pixel keeping its colour.
    void convertTo24() { setPixelFormat(PixelFormat::Rgb24); }

    // The area common to the old and the new size keeps its pixels in place;
    // new area takes the brush colour. Negative values count as 0.
    void setWidth(int width);
    void setHeight(int height);
    void setSize(int width, int height);

    Colour penColor() const { return m_pen; }
    void setPenColor(Colour c) { m_pen = c & White; }
    Colour brushColor() const { return m_brush; }
    void setBrushColor(Colour c) { m_brush = c & White; }

    // Makes this surface a copy of source: its width, height, pixel format
    // and pixels. Pen, brush and pen position stay this surface's own. Costs
    // nothing until one of the two is drawn on.
    void assign(const Surface &source);

    // Paints the brush colour on x from left to right - 1, y from top to
    // bottom - 1.
    void FillRect(int64_t left, int64_t top, int64_t right, int64_t bottom);

    // Pen moves and lines in the pen colour: the start pixel is set, the end
    // pixel is not (see raster/Line.h for the pixel rule).
    void MoveTo(int64_t x, int64_t y);
    void LineTo(int64_t x, int64_t y);
    Point penPosition() const { return m_penPos; }
    // Connected lines through the points; only the last point is not set.
    // The pen position is neither used nor changed.
    void Polyline(std::span<const Point> points);

    // Pixel access, for readers, writers and tests; (x, y) must lie inside.
    Colour pixel(int x, int y) const;
    void setPixel(int x, int y, Colour c);

    // Row access. constScanLine never changes a pixel, but makes the
    // surface keep every pixel in storage (see raster/RowReader.h for
    // reading rows without that); scanLine makes the pixels this surface's
    // own first.
    const uint8_t *constScanLine(int y) const;
    uint8_t *scanLine(int y);

    // Storage of this surface's own whose pixels are undefined (row padding
    // zero), for a writer that sets every pixel of every row before the
    // surface is read, such as a decoder: nothing is painted that is
    // painted over at once. Returns row 0; rows are stride() apart.
    uint8_t *pixelsForOverwrite();

    // True while every pixel has one colour that was painted as a whole
    // (then no pixel storage exists); solidColour() is that colour.
    bool isSolid() const { return !m_pixels && !m_pending; }
    // True while the pixels are held in storage (own or shared), false while
    // the surface is solid or a recorded blit whose rows are built on reading.
    bool hasStorage() const { return bool(m_pixels); }
    Colour solidColour() const { return m_solid; }
    bool sharesPixelsWith(const Surface &other) const
    {
        return m_pixels && m_pixels == other.m_pixels;
    }
    // The storage behind constScanLine(0), for zero-copy display.
    PixelBuffer::Ptr pixelStorage() const;

    static ptrdiff_t rowBytes(int64_t width, PixelFormat format)
    {
        return format == PixelFormat::Rgb24 ? ptrdiff_t((width * 3 + 3) & ~int64_t(3))
                                            : ptrdiff_t(width);
    }

    friend void BitBlt(Surface &destination, const Surface &source, RasterOp op);

    struct Pending;

private:
    friend class SurfaceWriter;
    friend class RowReader;

    size_t byteCount() const { return size_t(stride()) * size_t(m_height); }
    // The pixel value bytes of a colour in this format (3 for 24 bits, 1 for 1 bit).
    void colourBytes(Colour c, uint8_t out[3]) const;
    // Gives the surface its own storage, filled from the solid colour or
    // copied from shared storage.
    void detach();
    void materialise() const;
    Colour pendingPixel(int x, int y) const;
    void resize(int width, int height);
    void drawSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    int m_width = 0;
    int m_height = 0;
    PixelFormat m_format = PixelFormat::Rgb24;
    Colour m_pen = Black;
    Colour m_brush = White;
    Point m_penPos {0, 0};
    // Null while the surface is solid in m_solid. Materialising a solid
    // surface for reading changes no pixel, hence mutable.
    mutable PixelBuffer::Ptr m_pixels;
    mutable Colour m_solid = White;
    // A recorded blit: with m_pixels null, the pixels are those of
    // m_pending's base combined with its 1-bit source.
    mutable std::shared_ptr<const Pending> m_pending;
};

// Combines source into destination pixel by pixel and channel by channel,
// bit by bit, over the destination's width and height from (0, 0) in both.
// A 1-bit source counts as 0x000000 where black and 0xFFFFFF where white,
// whatever the destination's pen or brush. Where the source is smaller than
// the destination, only the common area is combined.
void BitBlt(Surface &destination, const Surface &source, RasterOp op);

// A copy of surface at width x height, the width set first as the setters
// would: the common top-left part kept, new area in the surface's brush
// colour. The copy shares storage with surface where the size is unchanged.
Surface resizedCopy(const Surface &surface, int width, int height);

// Pen and line calls of a surface as a drawing seam.
class SurfaceLineSink final : public LineSink
{
public:
    explicit SurfaceLineSink(Surface &surface)
        : m_surface(surface)
    {
    }
    void MoveTo(int64_t x, int64_t y) override { m_surface.MoveTo(x, y); }
    void LineTo(int64_t x, int64_t y) override { m_surface.LineTo(x, y); }
    void Polyline(std::span<const Point> points) override { m_surface.Polyline(points); }

private:
    Surface &m_surface;
};

} // namespace masume
