#include "raster/Surface.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <random>

using namespace masume;
using masume::test::randomSurface;
using masume::test::samePixels;

TEST(Surface, StartsEmpty)
{
    Surface s;
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.width(), 0);
    EXPECT_EQ(s.height(), 0);
    EXPECT_EQ(s.pixelFormat(), PixelFormat::Rgb24);
    EXPECT_EQ(s.penColor(), Black);
    EXPECT_EQ(s.brushColor(), White);
}

TEST(Surface, ResizeKeepsTheCommonAreaAndPaintsNewAreaWithTheBrush)
{
    std::mt19937 rng(3);
    const Surface original = randomSurface(7, 5, PixelFormat::Rgb24, rng);
    Surface s = original;
    s.setBrushColor(0x123456);
    s.setWidth(10);
    s.setHeight(3);
    ASSERT_EQ(s.width(), 10);
    ASSERT_EQ(s.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(s.pixel(x, y), x < 7 ? original.pixel(x, y) : 0x123456u) << x << "," << y;
    s.setHeight(6);
    for (int x = 0; x < 10; ++x)
        for (int y = 3; y < 6; ++y)
            EXPECT_EQ(s.pixel(x, y), 0x123456u);
    s.setWidth(0);
    EXPECT_TRUE(s.isEmpty());
    s.setWidth(2);
    EXPECT_EQ(s.pixel(1, 5), 0x123456u);
}

TEST(Surface, ResizeOfASolidSurfaceWithAnotherBrush)
{
    Surface s(3, 3, PixelFormat::Rgb24, 0x0000FF);
    s.setBrushColor(0x00FF00);
    s.setSize(5, 4);
    EXPECT_EQ(s.pixel(2, 2), 0x0000FFu);
    EXPECT_EQ(s.pixel(3, 2), 0x00FF00u);
    EXPECT_EQ(s.pixel(2, 3), 0x00FF00u);
}

TEST(Surface, MonoResizeUsesWhiteOrBlackBrush)
{
    Surface mask(PixelFormat::Mono1);
    mask.setBrushColor(White);
    mask.setWidth(4);
    mask.setHeight(2);
    EXPECT_EQ(mask.pixel(3, 1), White);
    mask.setBrushColor(Black);
    mask.setWidth(6);
    EXPECT_EQ(mask.pixel(3, 1), White);
    EXPECT_EQ(mask.pixel(5, 1), Black);
}

TEST(Surface, ConvertTo24KeepsEveryColour)
{
    std::mt19937 rng(5);
    Surface mono = randomSurface(9, 4, PixelFormat::Mono1, rng);
    Surface wide = mono;
    wide.convertTo24();
    EXPECT_EQ(wide.pixelFormat(), PixelFormat::Rgb24);
    EXPECT_TRUE(samePixels(mono, wide));
    Surface again = wide;
    again.convertTo24();
    EXPECT_TRUE(again.sharesPixelsWith(wide));
}

TEST(Surface, CopiesAreIndependent)
{
    std::mt19937 rng(11);
    Surface a = randomSurface(5, 5, PixelFormat::Rgb24, rng);
    Surface b;
    b.setPenColor(0x00FF00);
    b.assign(a);
    EXPECT_TRUE(b.sharesPixelsWith(a));
    EXPECT_EQ(b.penColor(), 0x00FF00u); // pen and brush stay the copy's own
    const Colour before = a.pixel(2, 2);
    b.MoveTo(0, 2);
    b.LineTo(5, 2);
    EXPECT_EQ(a.pixel(2, 2), before);
    EXPECT_EQ(b.pixel(2, 2), 0x00FF00u);
    a.setPixel(0, 0, 0x010203);
    EXPECT_NE(b.pixel(0, 0), 0x010203u);
}

TEST(Surface, FillRectExcludesRightAndBottomAndClips)
{
    Surface s(6, 4, PixelFormat::Rgb24, White);
    s.setBrushColor(0xAA00BB);
    s.FillRect(1, 1, 3, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(s.pixel(x, y), (x >= 1 && x < 3 && y >= 1 && y < 3) ? 0xAA00BBu : White);
    s.setBrushColor(0x000001);
    s.FillRect(4, -100, 100, 2);
    EXPECT_EQ(s.pixel(5, 0), 0x000001u);
    EXPECT_EQ(s.pixel(5, 1), 0x000001u);
    EXPECT_EQ(s.pixel(5, 2), White);
    s.FillRect(3, 3, 2, 4); // inverted: nothing
    EXPECT_EQ(s.pixel(2, 3), White);
    s.FillRect(INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX);
    EXPECT_TRUE(s.isSolid());
    EXPECT_EQ(s.pixel(0, 0), 0x000001u);
}

TEST(Surface, RowsArePaddedBmpRows)
{
    Surface s(5, 2, PixelFormat::Rgb24, White);
    EXPECT_EQ(s.stride(), 16);
    s.setPixel(1, 0, rgb(0x11, 0x22, 0x33));
    const uint8_t *row = s.constScanLine(0);
    EXPECT_EQ(row[3], 0x33); // blue first
    EXPECT_EQ(row[4], 0x22);
    EXPECT_EQ(row[5], 0x11);
    EXPECT_EQ(row[15], 0); // padding is zero
}

TEST(Surface, HugeSizeFailsAsOutOfMemory)
{
    Surface s;
    s.setBrushColor(0x102030);
    s.setWidth(2000000000);
    // Still solid: nothing allocated yet.
    EXPECT_NO_THROW(s.setHeight(2000000000));
    EXPECT_THROW(s.setPixel(0, 0, 0), std::bad_alloc);
}
