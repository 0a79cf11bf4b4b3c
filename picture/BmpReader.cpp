#include "common/Error.h"
#include "common/Messages.h"
#include "picture/BmpHeader.h"
#include "picture/BmpRows.h"
#include "picture/BmpStream.h"
#include "picture/PictureData.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace masume {

namespace {

[[noreturn]] void invalid()
{
    raise(msg::BitmapInvalid);
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
    // data: the run-length coded pixels, layout.pixelBytes of them.
    RleDecoder(std::span<const uint8_t> data, const BmpLayout &layout)
        : m_in(data.data())
        , m_size(data.size())
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

// The rows of a BMP file read at their places in a seekable source: a
// plain or bit-field coded file from its end when it is stored bottom-up,
// the rows of a band in one read; a run-length coded one decoded whole.
class BmpRows final : public PictureStream
{
public:
    BmpRows(ByteSource &source, PictureUse use)
        : m_source(source)
    {
        std::vector<uint8_t> start(size_t(std::min<uint64_t>(source.size(), BmpHeaderBytes)));
        start.resize(source.readAt(0, start));
        m_layout = parseBmpHeader(start, source.size());
        m_width = m_layout.width;
        m_height = m_layout.height;
        const bool runLength = m_layout.coding == BmpLayout::Coding::Rle8
            || m_layout.coding == BmpLayout::Coding::Rle4;
        if (use == PictureUse::Whole)
            checkPictureSize(m_width, m_height);
        else if (runLength)
            checkHeldBytes(uint64_t(m_width) * uint64_t(m_height) * 3 + m_layout.pixelBytes);
        if (runLength)
            decodeWhole();
        else
            m_converter.emplace(m_layout);
    }

    void readRows(uint8_t *out, ptrdiff_t stride, int count) override
    {
        if (!m_converter) {
            for (int i = 0; i < count; ++i, ++m_next)
                std::memcpy(out + i * stride, m_whole.constScanLine(m_next), size_t(m_width) * 3);
            return;
        }
        // The stored rows of the band, the lowest first in the file.
        const int lowest = m_layout.topDown ? m_next : m_height - m_next - count;
        const uint64_t at = uint64_t(lowest) * m_layout.rowBytes;
        // The last stored row may lack its padding.
        const size_t length = size_t(
            std::min<uint64_t>(uint64_t(count) * m_layout.rowBytes, m_layout.pixelBytes - at));
        m_band.resize(size_t(count) * m_layout.rowBytes);
        if (m_source.readAt(m_layout.pixelOffset + at, std::span(m_band).first(length)) < length)
            raise(msg::ReadError); // the file shrank since its header was read
        for (int i = 0; i < count; ++i) {
            const int y = m_next + i;
            const int stored = m_layout.topDown ? y : m_height - 1 - y;
            if (!m_converter->convert(m_band.data() + size_t(stored - lowest) * m_layout.rowBytes,
                                      out + i * stride, m_width))
                invalid();
        }
        m_next += count;
    }

    uint64_t heldBytes() const override
    {
        return m_converter ? 0 : uint64_t(m_whole.stride()) * uint64_t(m_height);
    }

    bool handOver(Surface &picture) override
    {
        if (m_converter)
            return false;
        picture = std::move(m_whole);
        return true;
    }

private:
    // Run-length data are coded bottom-up, row after row.
    void decodeWhole()
    {
        auto *memory = dynamic_cast<MemorySource *>(&m_source);
        std::vector<uint8_t> read;
        std::span<const uint8_t> data;
        if (memory) {
            data = memory->bytes().subspan(m_layout.pixelOffset, m_layout.pixelBytes);
        } else {
            read.resize(m_layout.pixelBytes);
            read.resize(m_source.readAt(m_layout.pixelOffset, read));
            if (read.size() < m_layout.pixelBytes)
                raise(msg::ReadError);
            data = read;
        }
        m_whole = RleDecoder(data, m_layout).run();
    }

    ByteSource &m_source;
    BmpLayout m_layout;
    std::optional<BmpRowConverter> m_converter; // plain and bit-field coding
    std::vector<uint8_t> m_band;
    Surface m_whole; // run-length coding
    int m_next = 0;
};

} // namespace

std::unique_ptr<PictureStream> openBmpStream(ByteSource &source, PictureUse use)
{
    return std::make_unique<BmpRows>(source, use);
}

Picture readBitmap(std::span<const uint8_t> file)
{
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Bitmap;
    // A file of 0 bytes is an empty picture.
    if (!file.empty()) {
        MemorySource source(file);
        BmpRows rows(source, PictureUse::Whole);
        if (!rows.handOver(data->bitmap)) {
            data->bitmap = Surface(rows.width(), rows.height(), PixelFormat::Rgb24);
            // Every row is converted (or the file is refused), so the
            // surface is not painted first.
            rows.readRows(data->bitmap.pixelsForOverwrite(), data->bitmap.stride(), rows.height());
        }
        data->width = rows.width();
        data->height = rows.height();
    }
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

} // namespace masume
