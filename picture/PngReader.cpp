#include "picture/PngReader.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureData.h"
#include "picture/PngChunkFilter.h"
#include "picture/PngFence.h"
#include "picture/PngRows.h"

#include <algorithm>
#include <cstring>

namespace masume {

namespace {

constexpr size_t KeptChunkBytes = size_t(1) << 16;

constexpr uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// The interlacing passes: the first column of each and the step between
// its columns.
constexpr uint32_t PassFirst[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr uint32_t PassStep[7] = {8, 8, 4, 4, 2, 2, 1};

} // namespace

bool looksLikePng(std::span<const uint8_t> first8)
{
    return first8.size() >= sizeof Signature
        && std::equal(std::begin(Signature), std::end(Signature), first8.begin());
}

struct PngStream::Decoder
{
    explicit Decoder(ByteSource &source)
        : chunks(source)
    {
    }

    PngChunkFilter chunks;
    PngContext context {0};
    PngInput input;
    spng_ihdr header {};
    PngSamples samples = PngSamples::Rgb8;
    uint32_t width = 0;
    uint32_t height = 0;
    // One row of the library's output.
    size_t decodedBytes = 0;
    std::unique_ptr<uint8_t[]> decoded;
    // An interlaced picture, whole: rows of 3 * width bytes, packed.
    std::unique_ptr<uint8_t[]> held;
    uint32_t nextRow = 0;

    bool interlaced() const { return header.interlace_method != 0; }
    size_t surfaceRowBytes() const { return size_t(width) * 3; }

    int decodeRow()
    {
        return context.check(
            [&] { return spng_decode_row(context.get(), decoded.get(), decodedBytes); }, true);
    }

    // After the last row: the chunks after the pixels, up to the end marker.
    // The library takes a file that ends inside the end marker's CRC for
    // one whose CRC it may ignore, hence the check of the input's end.
    void finish()
    {
        context.check([&] { return spng_decode_chunks(context.get()); });
        if (input.ended)
            raise(msg::PngError, {SPNG_EOF});
    }

    void decodeWhole()
    {
        held.reset(new uint8_t[surfaceRowBytes() * height]);
        // Each call gives the pixels of one row in one pass; the passes
        // together set every pixel once.
        for (;;) {
            spng_row_info row {};
            if (spng_get_row_info(context.get(), &row) != 0)
                break;
            const int code = decodeRow();
            toSurfaceRow(samples, decoded.get(), held.get() + row.row_num * surfaceRowBytes(),
                         PassFirst[row.pass], PassStep[row.pass], width);
            if (code == SPNG_EOI)
                break;
        }
        finish();
    }
};

PngStream::PngStream(ByteSource &source)
    : m_decoder(std::make_unique<Decoder>(source))
{
    Decoder &d = *m_decoder;
    spng_ctx *ctx = d.context.get();
    d.input = {&d.context, &d.chunks};
    d.context.check([&] { return spng_set_png_stream(ctx, readPngInput, &d.input); });
    // The library sees no chunk it would keep (see PngChunkFilter.h); were
    // that to change, it would still keep at most this much.
    d.context.check([&] { return spng_set_chunk_limits(ctx, KeptChunkBytes, KeptChunkBytes); });
    d.context.check([&] { return spng_get_ihdr(ctx, &d.header); });
    // The library allows at most 2^31 - 1 either way.
    d.width = d.header.width;
    d.height = d.header.height;
    m_width = int(d.width);
    m_height = int(d.height);
    checkPictureSize(m_width, m_height);

    // The chunks up to the pixels, among them tRNS.
    d.context.check([&] { return spng_decode_chunks(ctx); });
    spng_trns trns;
    const bool transparency = spng_get_trns(ctx, &trns) == 0
        || d.header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA
        || d.header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    // 16-bit samples are decoded as they are and rounded to 8 bits here,
    // as the library's own reduction drops the low byte.
    d.samples = d.header.bit_depth == 16 ? PngSamples::Rgba16
        : transparency                   ? PngSamples::Rgba8
                                         : PngSamples::Rgb8;
    const int format = d.samples == PngSamples::Rgba16 ? SPNG_FMT_RGBA16
        : d.samples == PngSamples::Rgba8               ? SPNG_FMT_RGBA8
                                                       : SPNG_FMT_RGB8;
    d.context.check([&] {
        return spng_decode_image(ctx, nullptr, 0, format,
                                 SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    });
    d.decodedBytes = size_t(d.width) * pngPixelBytes(d.samples);
    d.decoded.reset(new uint8_t[d.decodedBytes]);
}

PngStream::~PngStream() = default;

void PngStream::readRows(uint8_t *out, ptrdiff_t stride, int count)
{
    Decoder &d = *m_decoder;
    if (d.interlaced() && !d.held && count > 0)
        d.decodeWhole();
    for (int i = 0; i < count; ++i, out += stride) {
        if (d.interlaced()) {
            std::memcpy(out, d.held.get() + d.nextRow * d.surfaceRowBytes(), d.surfaceRowBytes());
        } else {
            d.decodeRow();
            toSurfaceRow(d.samples, d.decoded.get(), out, 0, 1, d.width);
        }
        if (++d.nextRow == d.height) {
            if (d.interlaced())
                d.held.reset();
            else
                d.finish();
        }
    }
}

uint64_t PngStream::heldBytes() const
{
    const Decoder &d = *m_decoder;
    return d.interlaced() ? uint64_t(d.width) * 3 * d.height : 0;
}

} // namespace masume
