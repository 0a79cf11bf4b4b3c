#include "common/Error.h"
#include "common/Messages.h"
#include "picture/BmpHeader.h"
#include "picture/BmpRows.h"
#include "picture/PictureData.h"

namespace masume {

namespace {

[[noreturn]] void invalid()
{
    raise(msg::BitmapInvalid);
}

Surface decodePlain(std::span<const uint8_t> file, const BmpLayout &layout)
{
    const BmpRowConverter converter(layout);
    Surface surface(layout.width, layout.height, PixelFormat::Rgb24);
    // Every row is converted (or the file is refused), so the surface is not
    // painted first.
    uint8_t *base = surface.pixelsForOverwrite();
    const ptrdiff_t stride = surface.stride();
    const uint8_t *pixels = file.data() + layout.pixelOffset;
    for (int row = 0; row < layout.height; ++row) {
        const int y = layout.topDown ? row : layout.height - 1 - row;
        if (!converter.convert(pixels + size_t(row) * layout.rowBytes, base + y * stride,
                               layout.width))
            invalid();
    }
    return surface;
}

// BI_RLE8 and BI_RLE4 data, rows from the bottom. Pixels that the data skip
// (deltas, early ends of line or bitmap) keep colour 0 of the table, as an
// index buffer cleared to zero shows them. A run or delta reaching beyond
// the picture, or a pixel value beyond the table, makes the file invalid;
// data that end before the last row without an end-of-bitmap mark are a
// short file.
class RleDecoder
{
public:
    RleDecoder(std::span<const uint8_t> file, const BmpLayout &layout)
        : m_in(file.data() + layout.pixelOffset)
        , m_size(layout.pixelBytes)
        , m_layout(layout)
        , m_nibbles(layout.coding == BmpLayout::Coding::Rle4)
        , m_surface(layout.width, layout.height, PixelFormat::Rgb24, colourOf(layout.palette[0]))
    {
        m_base = m_surface.scanLine(0);
        m_stride = m_surface.stride();
    }

    Surface run()
    {
        const int w = m_layout.width;
        const int h = m_layout.height;
        while (m_pos + 2 <= m_size) {
            const uint8_t count = m_in[m_pos];
            const uint8_t value = m_in[m_pos + 1];
            m_pos += 2;
            if (count > 0) {
                if (m_y >= h || m_x + count > w)
                    invalid();
                const uint8_t first = m_nibbles ? value >> 4 : value;
                const uint8_t second = m_nibbles ? value & 0x0F : value;
                for (int i = 0; i < count; ++i)
                    put((i & 1) ? second : first);
                continue;
            }
            switch (value) {
            case 0: // end of line
                m_x = 0;
                if (m_y < h)
                    ++m_y;
                break;
            case 1: // end of bitmap
                return std::move(m_surface);
            case 2: { // delta
                if (m_pos + 2 > m_size)
                    raise(msg::ReadError);
                const int dx = m_in[m_pos];
                const int dy = m_in[m_pos + 1];
                m_pos += 2;
                if (m_x + dx > w || m_y + dy > h)
                    invalid();
                m_x += dx;
                m_y += dy;
                break;
            }
            default: { // literal pixels, padded to an even byte count
                const int n = value;
                const size_t bytes = m_nibbles ? size_t(n + 1) / 2 : size_t(n);
                if (m_pos + bytes > m_size)
                    raise(msg::ReadError);
                if (m_y >= h || m_x + n > w)
                    invalid();
                for (int i = 0; i < n; ++i) {
                    const uint8_t b = m_in[m_pos + size_t(m_nibbles ? i / 2 : i)];
                    put(m_nibbles ? ((i & 1) ? b & 0x0F : b >> 4) : b);
                }
                m_pos += bytes + (bytes & 1);
                break;
            }
            }
        }
        // Without an end mark the data must have covered the last row.
        if (m_y < h - 1 || (m_y == h - 1 && m_x < w))
            raise(msg::ReadError);
        return std::move(m_surface);
    }

private:
    static Colour colourOf(uint32_t bgr) { return rgb(bgr >> 16, bgr >> 8, bgr); }

    void put(uint8_t index)
    {
        if (index >= m_layout.paletteSize)
            invalid();
        const uint32_t c = m_layout.palette[index];
        uint8_t *p = m_base + (m_layout.height - 1 - m_y) * m_stride + ptrdiff_t(m_x) * 3;
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
        ++m_x;
    }

    const uint8_t *m_in;
    size_t m_size;
    size_t m_pos = 0;
    const BmpLayout &m_layout;
    bool m_nibbles;
    int m_x = 0;
    int m_y = 0;
    Surface m_surface;
    uint8_t *m_base = nullptr;
    ptrdiff_t m_stride = 0;
};

} // namespace

Picture readBitmap(std::span<const uint8_t> file)
{
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Bitmap;
    // A file of 0 bytes is an empty picture.
    if (!file.empty()) {
        const BmpLayout layout = parseBmpHeader(file);
        checkPictureSize(layout.width, layout.height);
        if (layout.coding == BmpLayout::Coding::Rle8 || layout.coding == BmpLayout::Coding::Rle4)
            data->bitmap = RleDecoder(file, layout).run();
        else
            data->bitmap = decodePlain(file, layout);
        data->width = layout.width;
        data->height = layout.height;
    }
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

} // namespace masume
