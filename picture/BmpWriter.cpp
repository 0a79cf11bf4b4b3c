#include "common/Error.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/BmpEncoder.h"
#include "picture/LittleEndian.h"
#include "picture/PictureData.h"
#include "raster/RowReader.h"

#include <algorithm>
#include <cstring>

namespace masume {

namespace {

constexpr uint32_t HeadersSize = 54;
// Appended rows are written in batches of about this many bytes.
constexpr size_t BatchBytes = 1 << 20;

void putHeaders(uint8_t *h, int width, int height, uint32_t imageSize)
{
    std::memset(h, 0, HeadersSize);
    h[0] = 'B';
    h[1] = 'M';
    le::put32(h + 2, HeadersSize + imageSize);
    le::put32(h + 10, HeadersSize);
    le::put32(h + 14, 40);
    le::put32(h + 18, uint32_t(width));
    le::put32(h + 22, uint32_t(height));
    le::put16(h + 26, 1);
    le::put16(h + 28, 24);
    le::put32(h + 34, imageSize);
    // compression, densities and colour counts stay 0
}

// Row `in` into `out` as the file stores it: its pixels, then zeros.
void putRow(uint8_t *out, const uint8_t *in, int width, size_t rowBytes)
{
    std::memcpy(out, in, size_t(width) * 3);
    std::memset(out + size_t(width) * 3, 0, rowBytes - size_t(width) * 3);
}

} // namespace

BmpEncoder::BmpEncoder(ByteSink &sink, int width, int height)
    : m_sink(sink)
    , m_width(width)
    , m_height(height)
    , m_rowBytes(size_t(Surface::rowBytes(width, PixelFormat::Rgb24)))
    , m_nextBottomUp(height - 1)
{
    const uint64_t imageSize = uint64_t(m_rowBytes) * uint64_t(height);
    // The size fields hold 32 bits: a bigger picture has no BMP file.
    if (imageSize > UINT32_MAX - HeadersSize)
        raise(msg::WriteError);
    uint8_t headers[HeadersSize];
    putHeaders(headers, width, height, uint32_t(imageSize));
    if (!m_sink.tryWrite(headers, HeadersSize))
        raise(msg::WriteError);
    m_pending.reserve(std::clamp<size_t>(BatchBytes / m_rowBytes, 1, size_t(height)) * m_rowBytes);
}

void BmpEncoder::writeRows(int y, const uint8_t *rows, ptrdiff_t stride, int count)
{
    if (count <= 0)
        return;
    const int last = y + count - 1;
    if (m_held.empty() && last == m_nextBottomUp) {
        for (int r = last; r >= y; --r) {
            if (m_pending.size() + m_rowBytes > m_pending.capacity())
                flush();
            const size_t at = m_pending.size();
            m_pending.resize(at + m_rowBytes);
            putRow(m_pending.data() + at, rows + (r - y) * stride, m_width, m_rowBytes);
        }
        m_nextBottomUp = y - 1;
        return;
    }
    if (!m_sink.seekable()) {
        // Held in file order, from the first row not yet appended.
        if (m_held.empty()) {
            const uint64_t bytes = uint64_t(m_nextBottomUp + 1) * m_rowBytes;
            checkHeldBytes(bytes);
            m_held.resize(size_t(bytes));
        }
        for (int r = 0; r < count; ++r)
            putRow(m_held.data() + size_t(m_nextBottomUp - (y + r)) * m_rowBytes, rows + r * stride,
                   m_width, m_rowBytes);
        return;
    }
    // Elsewhere in the file: the rows at their place, in one write.
    m_placed.resize(size_t(count) * m_rowBytes);
    for (int r = 0; r < count; ++r)
        putRow(m_placed.data() + size_t(count - 1 - r) * m_rowBytes, rows + r * stride, m_width,
               m_rowBytes);
    const uint64_t offset = HeadersSize + uint64_t(m_height - 1 - last) * m_rowBytes;
    if (!m_sink.tryWriteAt(offset, m_placed.data(), m_placed.size()))
        raise(msg::WriteError);
}

void BmpEncoder::flush()
{
    if (!m_pending.empty() && !m_sink.tryWrite(m_pending.data(), m_pending.size()))
        raise(msg::WriteError);
    m_pending.clear();
}

void BmpEncoder::finish()
{
    flush();
    if (!m_held.empty() && !m_sink.tryWrite(m_held.data(), m_held.size()))
        raise(msg::WriteError);
    m_held = {};
}

void writeBmpFile(const Surface &surface, const std::string &fileName)
{
    if (surface.isEmpty()) {
        writeWholeFile(fileName, {});
        return;
    }
    const int w = surface.width();
    const bool mono = surface.pixelFormat() == PixelFormat::Mono1;
    std::vector<uint8_t> widened(mono ? size_t(w) * 3 : 0);
    // Rows are read one at a time: a composite that was never stored whole
    // is built row by row, with no copy of the picture.
    RowReader rows(surface);

    AtomicFile file(fileName);
    BmpEncoder encoder(file, w, surface.height());
    for (int y = surface.height() - 1; y >= 0; --y) {
        const uint8_t *in = rows.row(y);
        if (mono) {
            for (int x = 0; x < w; ++x)
                widened[3 * size_t(x)] = widened[3 * size_t(x) + 1] = widened[3 * size_t(x) + 2]
                    = in[x];
            in = widened.data();
        }
        encoder.writeRows(y, in, 0, 1);
    }
    encoder.finish();
    file.commit();
}

} // namespace masume
