#include "raster/RowReader.h"
#include "raster/Surface.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace masume;
using masume::test::randomSurface;
using masume::test::samePixels;

namespace {

Colour naive(RasterOp op, Colour s, Colour d)
{
    switch (op) {
    case RasterOp::SRCPAINT:
        return (s | d) & White;
    case RasterOp::MERGEPAINT:
        return (~s | d) & White;
    case RasterOp::SRCAND:
        return s & d;
    }
    return 0;
}

// The per-pixel meaning of a blit, written out.
Surface naiveBlit(const Surface &dst, const Surface &src, RasterOp op)
{
    Surface out(dst.width(), dst.height(), PixelFormat::Rgb24);
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x)
            out.setPixel(x, y, naive(op, src.pixel(x, y), dst.pixel(x, y)));
    return out;
}

const char *name(RasterOp op)
{
    return op == RasterOp::SRCPAINT  ? "SRCPAINT"
        : op == RasterOp::MERGEPAINT ? "MERGEPAINT"
                                     : "SRCAND";
}

} // namespace

TEST(BitBlt, SrcpaintOfMaskPixels)
{
    Surface dst(2, 1, PixelFormat::Rgb24);
    dst.setPixel(0, 0, 0x123456);
    dst.setPixel(1, 0, 0x123456);
    dst.setPenColor(0x00FF00); // no pen or brush takes part
    dst.setBrushColor(0x0000FF);
    Surface mask(2, 1, PixelFormat::Mono1, White);
    mask.setPixel(1, 0, Black);
    BitBlt(dst, mask, RasterOp::SRCPAINT);
    EXPECT_EQ(dst.pixel(0, 0), White);
    EXPECT_EQ(dst.pixel(1, 0), 0x123456u);
}

// The fast row loops against the per-pixel rule, on odd sizes, for every
// operation, both source formats and every state of the destination's
// storage (own, shared with a copy, one colour all over).
TEST(BitBlt, MatchesThePerPixelRule)
{
    std::mt19937 rng(20240601);
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {33, 17}, {301, 301}};
    for (auto [w, h] : sizes) {
        for (RasterOp op : {RasterOp::SRCPAINT, RasterOp::MERGEPAINT, RasterOp::SRCAND}) {
            for (PixelFormat sf : {PixelFormat::Mono1, PixelFormat::Rgb24}) {
                for (int state = 0; state < 3; ++state) {
                    const std::string what = std::to_string(w) + "x" + std::to_string(h) + " "
                        + name(op) + (sf == PixelFormat::Mono1 ? " mono" : " rgb") + " state "
                        + std::to_string(state);
                    Surface src = randomSurface(w, h, sf, rng);
                    Surface dst = state == 2 ? Surface(w, h, PixelFormat::Rgb24, rng() & White)
                                             : randomSurface(w, h, PixelFormat::Rgb24, rng);
                    const Surface expected = naiveBlit(dst, src, op);
                    // State 1: another surface shares dst's pixels; a deep
                    // snapshot tells whether it saw the blit.
                    Surface sharer;
                    Surface snapshot;
                    if (state == 1) {
                        sharer = dst;
                        snapshot = naiveBlit(dst, Surface(w, h, PixelFormat::Mono1, Black),
                                             RasterOp::SRCPAINT);
                    }
                    BitBlt(dst, src, op);
                    std::string where;
                    EXPECT_TRUE(samePixels(dst, expected, &where)) << what << " at " << where;
                    if (state == 1) {
                        EXPECT_TRUE(samePixels(sharer, snapshot)) << what << ": the copy changed";
                    }
                }
            }
        }
    }
}

TEST(BitBlt, SolidSourcesAndDestinations)
{
    std::mt19937 rng(9);
    for (RasterOp op : {RasterOp::SRCPAINT, RasterOp::MERGEPAINT, RasterOp::SRCAND}) {
        for (Colour maskColour : {Black, White}) {
            Surface mask(13, 5, PixelFormat::Mono1, maskColour);
            Surface dst = randomSurface(13, 5, PixelFormat::Rgb24, rng);
            const Surface expected = naiveBlit(dst, mask, op);
            BitBlt(dst, mask, op);
            EXPECT_TRUE(samePixels(dst, expected)) << name(op) << " mask " << maskColour;

            Surface solid(13, 5, PixelFormat::Rgb24, 0x345678);
            const Surface expectedSolid = naiveBlit(solid, mask, op);
            BitBlt(solid, mask, op);
            EXPECT_TRUE(samePixels(solid, expectedSolid))
                << name(op) << " solid, mask " << maskColour;
        }
    }
}

TEST(BitBlt, RowPaddingStaysZero)
{
    std::mt19937 rng(2);
    Surface src = randomSurface(5, 3, PixelFormat::Mono1, rng);
    Surface dst(5, 3, PixelFormat::Rgb24, 0x0000FF);
    BitBlt(dst, src, RasterOp::SRCPAINT);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(dst.constScanLine(y)[15], 0);
}

TEST(BitBlt, OntoEmptyOrSmallerSource)
{
    Surface empty;
    Surface mask(105, 105, PixelFormat::Mono1, Black);
    EXPECT_NO_THROW(BitBlt(empty, mask, RasterOp::SRCPAINT));
    EXPECT_TRUE(empty.isEmpty());
    // Only the common area is combined.
    Surface dst(4, 4, PixelFormat::Rgb24, 0x0000FF);
    Surface small(2, 2, PixelFormat::Mono1, White);
    BitBlt(dst, small, RasterOp::SRCPAINT);
    EXPECT_EQ(dst.pixel(1, 1), White);
    EXPECT_EQ(dst.pixel(2, 1), 0x0000FFu);
    EXPECT_EQ(dst.pixel(1, 2), 0x0000FFu);
}

TEST(BitBlt, IntoItself)
{
    std::mt19937 rng(4);
    Surface s = randomSurface(9, 9, PixelFormat::Rgb24, rng);
    const Surface expected = naiveBlit(s, s, RasterOp::MERGEPAINT);
    BitBlt(s, s, RasterOp::MERGEPAINT);
    EXPECT_TRUE(samePixels(s, expected));
}

// Blits recorded on solid or shared surfaces and carried out with the next
// blit or on the first read give the same pixels as blits done one by one.
TEST(BitBlt, RecordedBlitsMatchThePerPixelRule)
{
    std::mt19937 rng(77);
    const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {33, 17}, {301, 301}};
    const RasterOp ops[] = {RasterOp::SRCPAINT, RasterOp::MERGEPAINT, RasterOp::SRCAND};
    for (auto [w, h] : sizes) {
        for (RasterOp first : ops) {
            for (RasterOp second : ops) {
                // Two surfaces of the same content with storage of their own:
                // the second shows that blits onto copies leave the first.
                std::mt19937 same = rng;
                const Surface background = randomSurface(w, h, PixelFormat::Rgb24, rng);
                const Surface backgroundBefore = randomSurface(w, h, PixelFormat::Rgb24, same);
                const Surface mask = randomSurface(w, h, PixelFormat::Mono1, rng);
                const Surface mask2 = randomSurface(w, h, PixelFormat::Mono1, rng);
                const Colour colour = rng() & White;

                // Recorded on a solid surface, then used as a source.
                Surface layer(w, h, PixelFormat::Rgb24, colour);
                BitBlt(layer, mask, first);
                const Surface layerExpected
                    = naiveBlit(Surface(w, h, PixelFormat::Rgb24, colour), mask, first);

                // Recorded on a shared surface, then combined with the layer.
                Surface composite = background;
                BitBlt(composite, mask2, second);
                const Surface compositeExpected = naiveBlit(background, mask2, second);
                for (RasterOp third : ops) {
                    Surface c = composite;
                    BitBlt(c, layer, third);
                    std::string where;
                    EXPECT_TRUE(
                        samePixels(c, naiveBlit(compositeExpected, layerExpected, third), &where))
                        << w << "x" << h << " at " << where;
                }
                EXPECT_TRUE(samePixels(layer, layerExpected));
                // Both recorded with the same mask, as the composite is: a
                // random one, and a thin grid whose rows are mostly white.
                Surface grid(w, h, PixelFormat::Mono1, White);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        if (x % 19 == 18 || y % 7 == 6)
                            grid.setPixel(x, y, Black);
                for (const Surface *shared : {&mask, static_cast<const Surface *>(&grid)}) {
                    Surface sharedLayer(w, h, PixelFormat::Rgb24, colour);
                    BitBlt(sharedLayer, *shared, first);
                    const Surface sharedLayerExpected
                        = naiveBlit(Surface(w, h, PixelFormat::Rgb24, colour), *shared, first);
                    Surface recorded = background;
                    BitBlt(recorded, *shared, second);
                    const Surface recordedExpected = naiveBlit(background, *shared, second);
                    for (RasterOp third : ops) {
                        Surface c = recorded;
                        BitBlt(c, sharedLayer, third);
                        std::string where;
                        EXPECT_TRUE(samePixels(
                            c, naiveBlit(recordedExpected, sharedLayerExpected, third), &where))
                            << w << "x" << h << " same mask at " << where;
                    }
                }
                // Materialised rows agree with the pixels read before.
                Surface read = composite;
                (void)read.constScanLine(0);
                EXPECT_TRUE(samePixels(read, compositeExpected));
                EXPECT_TRUE(samePixels(background, backgroundBefore));
                // Resizing a recorded surface keeps its pixels.
                Surface grown = layer;
                grown.setSize(w + 3, h + 1);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(grown.pixel(x, y), layerExpected.pixel(x, y));
                EXPECT_EQ(grown.pixel(w + 2, h), White);
            }
        }
    }
}

TEST(BitBlt, TheMaskCanChangeAfterItWasRecorded)
{
    Surface layer(8, 2, PixelFormat::Rgb24, 0x0000FF);
    Surface mask(8, 2, PixelFormat::Mono1, White);
    mask.setPixel(3, 1, Black);
    BitBlt(layer, mask, RasterOp::SRCPAINT);
    mask.FillRect(0, 0, 8, 2);
    mask.MoveTo(0, 0);
    mask.LineTo(8, 0);
    EXPECT_EQ(layer.pixel(3, 1), 0x0000FFu);
    EXPECT_EQ(layer.pixel(3, 0), White);
}

// The composite with grid is a record of two blits of one mask onto the
// shared background; reading it by rows (as the writers and the view do)
// gives the bytes it would hold stored, row padding included, and leaves
// it unstored. Parts of rows agree with whole rows.
TEST(BitBlt, ACompositeReadByRowsEqualsTheStoredOne)
{
    std::mt19937 rng(31);
    for (auto [w, h] :
         {std::pair {1, 1}, std::pair {5, 3}, std::pair {33, 17}, std::pair {301, 40}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const Surface background = randomSurface(w, h, PixelFormat::Rgb24, rng);
        Surface mask(w, h, PixelFormat::Mono1, White);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (x % 7 == 3 || y % 5 == 2 || rng() % 17 == 0 || x + y == 0)
                    mask.setPixel(x, y, Black);
        Surface colourLayer(w, h, PixelFormat::Rgb24);
        colourLayer.setBrushColor(0x3366CC);
        colourLayer.FillRect(0, 0, w, h);
        BitBlt(colourLayer, mask, RasterOp::SRCPAINT);

        Surface composite = background;
        BitBlt(composite, mask, RasterOp::MERGEPAINT);
        BitBlt(composite, colourLayer, RasterOp::SRCAND);
        EXPECT_FALSE(composite.hasStorage()) << "the blits are only recorded";

        Surface stored = composite;
        (void)stored.constScanLine(0);
        ASSERT_TRUE(stored.hasStorage());
        EXPECT_TRUE(samePixels(stored,
                               naiveBlit(naiveBlit(background, mask, RasterOp::MERGEPAINT),
                                         colourLayer, RasterOp::SRCAND)));

        const size_t stride = size_t(composite.stride());
        RowReader rows(composite);
        EXPECT_FALSE(rows.inPlace());
        for (int y = 0; y < h; ++y) {
            const std::vector<uint8_t> whole(rows.row(y), rows.row(y) + stride);
            ASSERT_EQ(0, std::memcmp(whole.data(), stored.constScanLine(y), stride)) << "row " << y;
            const int left = int(rng() % unsigned(w));
            const int count = 1 + int(rng() % unsigned(w - left));
            ASSERT_EQ(
                0,
                std::memcmp(rows.part(y, left, count), whole.data() + 3 * left, size_t(3 * count)))
                << "row " << y << " from " << left;
        }
        EXPECT_FALSE(composite.hasStorage()) << "reading rows stores nothing";

        // Solid and stored surfaces read the same way.
        const Surface solid(w, h, PixelFormat::Rgb24, 0x102030);
        RowReader solidRows(solid);
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(0, std::memcmp(solidRows.row(y), Surface(solid).constScanLine(y), stride));
        RowReader storedRows(stored);
        EXPECT_TRUE(storedRows.inPlace());
        EXPECT_EQ(storedRows.row(h - 1), stored.constScanLine(h - 1));
    }
}
