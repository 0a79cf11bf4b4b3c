// The PNG writer: what it writes reads back as the rows it was given, in
// both kinds; a sink that refuses bytes ends it with the write error at any
// point; an empty picture gives no bytes.

#include "PngTestSupport.h"
#include "common/Messages.h"
#include "picture/ByteSink.h"
#include "picture/PictureFile.h"
#include "picture/PngWriter.h"

#include <spng.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace masume;
using namespace masume::test;

namespace {

// The bytes written, or refused from byte `refuseAt` on.
class TestSink final : public ByteSink
{
public:
    explicit TestSink(size_t refuseAt = SIZE_MAX)
        : m_refuseAt(refuseAt)
    {
    }
    bool tryWrite(const void *data, size_t bytes) noexcept override
    {
        ++writes;
        if (written.size() + bytes > m_refuseAt)
            return false;
        const auto *p = static_cast<const uint8_t *>(data);
        written.insert(written.end(), p, p + bytes);
        return true;
    }
    std::vector<uint8_t> written;
    int writes = 0;

private:
    size_t m_refuseAt;
};

// Rows of random bytes: width pixels of `channels` bytes each, in the
// writer's order (blue, green, red, alpha).
std::vector<std::vector<uint8_t>> randomRows(int width, int height, int channels, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::vector<uint8_t>> rows(size_t(height),
                                           std::vector<uint8_t>(size_t(width) * channels));
    for (auto &row : rows)
        for (uint8_t &b : row)
            b = uint8_t(rng());
    return rows;
}

std::vector<uint8_t> encode(const std::vector<std::vector<uint8_t>> &rows, int width,
                            PngColour colour)
{
    TestSink sink;
    PngEncoder encoder(sink, width, int(rows.size()), colour);
    for (const auto &row : rows)
        encoder.writeRow(row.data());
    encoder.finish();
    return sink.written;
}

// The file's pixels as the library gives them, red, green, blue, alpha,
// with no rule of ours applied.
std::vector<uint8_t> libraryRgba(const std::vector<uint8_t> &file)
{
    spng_ctx *ctx = spng_ctx_new(0);
    std::vector<uint8_t> out;
    size_t size = 0;
    if (spng_set_png_buffer(ctx, file.data(), file.size()) == 0
        && spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size) == 0) {
        out.resize(size);
        if (spng_decode_image(ctx, out.data(), size, SPNG_FMT_RGBA8, 0) != 0)
            out.clear();
    }
    spng_ctx_free(ctx);
    return out;
}

} // namespace

// Sizes with rows of one pixel, odd widths and more rows than one block of
// output.
TEST(PngWriter, WhatIsWrittenReadsBackAsTheRowsGiven)
{
    for (const auto &[w, h] : {std::pair {1, 1}, {3, 2}, {1, 40}, {257, 13}, {640, 480}}) {
        for (const PngColour colour : {PngColour::Rgb, PngColour::Rgba}) {
            const int channels = colour == PngColour::Rgb ? 3 : 4;
            const auto rows = randomRows(w, h, channels, unsigned(w * 7 + h + channels));
            const std::vector<uint8_t> file = encode(rows, w, colour);
            const std::vector<uint8_t> rgba = libraryRgba(file);
            ASSERT_EQ(rgba.size(), size_t(w) * h * 4) << w << "x" << h;
            size_t mismatches = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint8_t *in = &rows[size_t(y)][size_t(x) * channels];
                    const uint8_t *out = &rgba[(size_t(y) * w + x) * 4];
                    const uint8_t alpha = channels == 4 ? in[3] : 255;
                    mismatches
                        += out[0] != in[2] || out[1] != in[1] || out[2] != in[0] || out[3] != alpha;
                }
            EXPECT_EQ(mismatches, 0u) << w << "x" << h << ", " << channels << " channels";

            // The header says what was written: 8 bits, RGB or RGBA, not
            // interlaced.
            const std::vector<PngChunk> chunks = pngChunks(file);
            ASSERT_FALSE(chunks.empty());
            EXPECT_EQ(chunks.front().type, "IHDR");
            EXPECT_EQ(chunks.front().data,
                      ihdr(uint32_t(w), uint32_t(h), 8, channels == 3 ? 2 : 6).data);
            EXPECT_EQ(chunks.back().type, "IEND");
        }
    }
}

// The program's own reader gives the RGB rows back exactly.
TEST(PngWriter, RgbRoundTripsThroughTheReader)
{
    const Surface picture = photoLike(301, 77, 5);
    TestSink sink;
    PngEncoder encoder(sink, picture.width(), picture.height(), PngColour::Rgb);
    for (int y = 0; y < picture.height(); ++y)
        encoder.writeRow(picture.constScanLine(y));
    encoder.finish();
    const Surface back = decodePng(sink.written);
    ASSERT_EQ(back.width(), picture.width());
    ASSERT_EQ(back.height(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        ASSERT_EQ(std::memcmp(back.constScanLine(y), picture.constScanLine(y),
                              size_t(picture.width()) * 3),
                  0)
            << "row " << y;
}

// The output reaches the sink in large blocks, not chunk by chunk.
TEST(PngWriter, TheSinkGetsLargeBlocks)
{
    const auto rows = randomRows(1000, 300, 3, 9);
    TestSink sink;
    PngEncoder encoder(sink, 1000, 300, PngColour::Rgb);
    for (const auto &row : rows)
        encoder.writeRow(row.data());
    encoder.finish();
    // 900 KB of random bytes compress to about as much.
    EXPECT_GT(sink.written.size(), 900000u);
    EXPECT_LE(sink.writes, int(sink.written.size() / (1 << 17)) + 1);
}

// A sink that refuses bytes anywhere, in the header, the image data or the
// end marker: the write error, from the call that met it, never later and
// never another error.
TEST(PngWriter, ARefusingSinkGivesTheWriteError)
{
    const auto rows = randomRows(500, 400, 4, 3);
    const size_t size = encode(rows, 500, PngColour::Rgba).size();
    ASSERT_GT(size, size_t(3) << 17);
    for (size_t refuseAt : {size_t(0), size_t(8), size_t(40), size_t(1) << 17,
                            (size_t(1) << 17) + 1, size_t(3) << 17, size - 12, size - 1}) {
        TestSink sink(refuseAt);
        const std::string error = errorOf([&] {
            PngEncoder encoder(sink, 500, 400, PngColour::Rgba);
            for (const auto &row : rows)
                encoder.writeRow(row.data());
            encoder.finish();
        });
        EXPECT_EQ(error, msg::WriteError) << refuseAt;
        EXPECT_LE(sink.written.size(), refuseAt);
    }
}

// A picture of no pixels has no PNG form: no bytes at all.
TEST(PngWriter, AnEmptyPictureGivesNoBytes)
{
    for (const auto &[w, h] : {std::pair {0, 0}, {0, 5}, {5, 0}}) {
        TestSink sink;
        PngEncoder encoder(sink, w, h, PngColour::Rgb);
        encoder.finish();
        EXPECT_TRUE(sink.written.empty()) << w << "x" << h;
        EXPECT_EQ(sink.writes, 0);
    }
    TempDir dir;
    writeBytes(dir.file("old.png"), {1, 2, 3});
    writePngFile(Surface(), dir.file("old.png"));
    writePngFile(Surface(0, 7), dir.file("new.png"));
    EXPECT_EQ(fs::file_size(dir.file("old.png")), 0u);
    EXPECT_EQ(fs::file_size(dir.file("new.png")), 0u);
}

// The whole-surface writer: the rows of the surface, a 1-bit one in
// colour, through the atomic file.
TEST(PngWriter, WholeSurfacesAreWrittenAsRgb)
{
    TempDir dir;
    const Surface picture = photoLike(64, 48, 2);
    writePngFile(picture, dir.file("p.png"));
    const Surface back = decodePng(fileBytes(dir.file("p.png")));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(back.pixel(x, y), picture.pixel(x, y)) << x << "," << y;

    Surface mono(9, 5, PixelFormat::Mono1, White);
    mono.MoveTo(0, 2);
    mono.LineTo(9, 2);
    Surface colour = mono;
    colour.convertTo24();
    writePngFile(mono, dir.file("mono.png"));
    writePngFile(colour, dir.file("colour.png"));
    EXPECT_EQ(fileBytes(dir.file("mono.png")), fileBytes(dir.file("colour.png")));
    EXPECT_EQ(decodePng(fileBytes(dir.file("mono.png"))).pixel(4, 2), Black);
}
