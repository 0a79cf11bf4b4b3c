#include "PictureTestSupport.h"
#include "picture/PictureFile.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <random>

using namespace masume;
using namespace masume::test;

namespace {

uint32_t le32(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16
        | uint32_t(b[at + 3]) << 24;
}

uint16_t le16(const std::vector<uint8_t> &b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

// Every pixel a colour of its own, unlike under any mirroring or channel
// swap.
Colour distinct(int x, int y)
{
    return rgb(uint32_t(10 + 20 * x), uint32_t(100 + 30 * y), uint32_t(250 - 7 * x - 11 * y));
}

Surface roundTrip(const Surface &s, const TempDir &dir)
{
    writeBmpFile(s, dir.file("r.bmp"));
    return makeSurface(readPicture(dir.file("r.bmp")));
}

} // namespace

TEST(BmpWriter, HeaderAndRowsAsTheTableGives)
{
    // 7 x 3: rows of 21 bytes padded to 24, image 72 bytes.
    Surface s(7, 3, PixelFormat::Rgb24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            s.setPixel(x, y, distinct(x, y));
    TempDir dir;
    writeBmpFile(s, dir.file("a.bmp"));
    const std::vector<uint8_t> b = fileBytes(dir.file("a.bmp"));
    ASSERT_EQ(b.size(), 54u + 72u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    const std::pair<size_t, uint32_t> fields32[] = {
        {2, 126}, {6, 0},   {10, 54}, {14, 40}, {18, 7}, {22, 3},
        {30, 0},  {34, 72}, {38, 0},  {42, 0},  {46, 0}, {50, 0},
    };
    for (const auto &[at, value] : fields32)
        EXPECT_EQ(le32(b, at), value) << "offset " << at;
    EXPECT_EQ(le16(b, 26), 1);
    EXPECT_EQ(le16(b, 28), 24);
    // The bottom row first, blue, green, red, then three zero bytes.
    for (int row = 0; row < 3; ++row) {
        const size_t at = 54 + size_t(row) * 24;
        for (int x = 0; x < 7; ++x) {
            const Colour c = distinct(x, 2 - row);
            EXPECT_EQ(b[at + 3 * x], blueOf(c));
            EXPECT_EQ(b[at + 3 * x + 1], greenOf(c));
            EXPECT_EQ(b[at + 3 * x + 2], redOf(c));
        }
        EXPECT_EQ(b[at + 21] | b[at + 22] | b[at + 23], 0);
    }
}

TEST(BmpWriter, RoundTripKeepsEveryPixel)
{
    TempDir dir;
    std::mt19937 rng(20240501);
    for (const auto &[w, h] :
         std::vector<std::pair<int, int>> {{1, 1}, {7, 3}, {33, 17}, {301, 301}}) {
        const Surface s = randomSurface(w, h, PixelFormat::Rgb24, rng);
        std::string where;
        EXPECT_TRUE(samePixels(roundTrip(s, dir), s, &where)) << w << "x" << h << " at " << where;
    }
    // A colour-distinct, asymmetric picture: a flipped row or swapped
    // channel would show.
    Surface s(5, 4, PixelFormat::Rgb24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            s.setPixel(x, y, distinct(x, y));
    const Surface back = roundTrip(s, dir);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back.pixel(x, y), distinct(x, y)) << x << "," << y;
}

TEST(BmpWriter, OneBitAndSolidSurfacesAreWrittenAt24Bits)
{
    TempDir dir;
    Surface mono(9, 5, PixelFormat::Mono1, White);
    mono.setPenColor(Black);
    mono.MoveTo(0, 4);
    mono.LineTo(9, 0);
    Surface expected = mono;
    expected.convertTo24();
    EXPECT_TRUE(samePixels(roundTrip(mono, dir), expected));
    EXPECT_EQ(fileBytes(dir.file("r.bmp")).size(), 54u + 5 * 28);
    const Surface solid(3, 3, PixelFormat::Rgb24, 0x0080FF);
    EXPECT_TRUE(samePixels(roundTrip(solid, dir), solid));
}

// Palette and 32-bit files come back as 24-bit files of the same colours.
TEST(BmpWriter, PaletteAnd32BitFilesComeBackAs24Bits)
{
    TempDir dir;
    for (const char *name : {"pal8.bmp", "pal4rle.bmp", "rgb32.bmp", "rgb16-565.bmp"}) {
        const Surface original = makeSurface(readPicture(Fixtures + "/bmpsuite/g/" + name));
        writeBmpFile(original, dir.file("w.bmp"));
        const std::vector<uint8_t> b = fileBytes(dir.file("w.bmp"));
        EXPECT_EQ(le16(b, 28), 24) << name;
        EXPECT_EQ(le32(b, 10), 54u) << name;
        EXPECT_TRUE(samePixels(makeSurface(readPicture(dir.file("w.bmp"))), original)) << name;
    }
}
