#include "common/Error.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/LittleEndian.h"
#include "picture/PictureFile.h"
#include "raster/RowReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace masume {

namespace {

constexpr uint32_t HeadersSize = 54;
// Rows are written in batches of about this many bytes.
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

} // namespace

void writeBmpFile(const Surface &surface, const std::string &fileName)
{
    if (surface.isEmpty()) {
        writeWholeFile(fileName, {});
        return;
    }
    const int w = surface.width();
    const int h = surface.height();
    const size_t rowBytes = size_t(Surface::rowBytes(w, PixelFormat::Rgb24));
    const uint64_t imageSize = uint64_t(rowBytes) * uint64_t(h);
    // The size fields hold 32 bits: a bigger picture has no BMP file.
    if (imageSize > UINT32_MAX - HeadersSize)
        raise(msg::WriteError);

    const bool mono = surface.pixelFormat() == PixelFormat::Mono1;
    const size_t rowsPerBatch = std::clamp<size_t>(BatchBytes / rowBytes, 1, size_t(h));
    std::vector<uint8_t> batch(std::max<size_t>(HeadersSize, rowsPerBatch * rowBytes));
    // Rows are read one at a time: a composite that was never stored whole
    // is built row by row, with no copy of the picture.
    RowReader rows(surface);

    AtomicFile file(fileName);
    putHeaders(batch.data(), w, h, uint32_t(imageSize));
    file.write(batch.data(), HeadersSize);
    // Bottom row first; each row blue, green, red, zero padded.
    for (int y = h - 1; y >= 0;) {
        size_t used = 0;
        for (size_t r = 0; r < rowsPerBatch && y >= 0; ++r, --y) {
            uint8_t *out = batch.data() + used;
            const uint8_t *in = rows.row(y);
            if (mono) {
                for (int x = 0; x < w; ++x)
                    out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
            } else {
                std::memcpy(out, in, size_t(w) * 3);
            }
            std::memset(out + size_t(w) * 3, 0, rowBytes - size_t(w) * 3);
            used += rowBytes;
        }
        file.write(batch.data(), used);
    }
    file.commit();
}

} // namespace masume
