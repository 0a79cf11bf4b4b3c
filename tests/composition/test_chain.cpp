#include "Canvas/WindowlessChain.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <random>

using namespace masume;
using masume::test::randomSurface;
using masume::test::samePixels;

namespace {

// Both windows' halves, with lines on the mask.
struct Chain : WindowlessChain
{
    // The lines of a square grid of 4 x 6 on the mask (columns 3, 7, ...,
    // rows 5, 11, ...), then the colour chain in colour.
    void drawLines(Colour colour)
    {
        grid.setSizeH(4);
        grid.setSizeV(6);
        grid.GridTypeExecute(GridKinds::Square);
        grid.setGridColour(colour);
        grid.DrawGrid();
    }
};

} // namespace

TEST(Composition, SetUpDrawsNothing)
{
    Chain c;
    ASSERT_EQ(c.canvas.Layers().size(), 1u);
    EXPECT_TRUE(c.canvas.Layers()[0].isEmpty());
    EXPECT_TRUE(c.canvas.Compounds()[0].isEmpty());
    EXPECT_TRUE(c.canvas.Compounds()[1].isEmpty());
    EXPECT_TRUE(c.grid.GridMask().isEmpty());
    EXPECT_EQ(c.grid.GridMask().pixelFormat(), PixelFormat::Mono1);
    EXPECT_EQ(c.grid.GridMask().brushColor(), White);
    EXPECT_EQ(c.grid.GridMask().penColor(), Black);
    EXPECT_TRUE(c.grid.ColorLayer().isEmpty());
    EXPECT_EQ(c.grid.ColorLayer().pixelFormat(), PixelFormat::Rgb24);
    EXPECT_EQ(c.grid.gridColour(), Black);
    EXPECT_EQ(c.grid.GridKind(), 0);
    EXPECT_EQ(c.grid.SizeH(), 32);
    EXPECT_EQ(c.grid.SizeV(), 32);
    EXPECT_EQ(c.view.pictureChanges(), 0);
}

TEST(Composition, BeforeAnyPictureTheChainRunsOnTheInitialSize)
{
    Chain c;
    for (int kind : {0, 1, -5, 8, 2, 7}) {
        EXPECT_NO_THROW(c.grid.GridTypeExecute(kind));
        EXPECT_EQ(c.grid.GridKind(), kind);
        EXPECT_EQ(c.grid.GridMask().width(), 105);
        EXPECT_EQ(c.grid.GridMask().height(), 105);
        EXPECT_TRUE(c.canvas.Compounds()[0].isEmpty());
        EXPECT_TRUE(c.canvas.Compounds()[1].isEmpty());
        EXPECT_TRUE(c.view.picture().isEmpty());
    }
    EXPECT_EQ(c.view.pictureChanges(), 6);
    c.grid.setGridColour(0x0000FF);
    EXPECT_NO_THROW(c.grid.DrawGrid());
    EXPECT_TRUE(c.view.picture().isEmpty());
}

TEST(Composition, KindsThatDrawNothingKeepTheBackground)
{
    std::mt19937 rng(1);
    const Surface background = randomSurface(37, 23, PixelFormat::Rgb24, rng);
    for (int kind : {0, 1, -1, 8, 1000}) {
        Chain c;
        c.grid.setGridKind(kind);
        c.open(background);
        EXPECT_TRUE(samePixels(c.grid.GridMask(), Surface(37, 23, PixelFormat::Mono1, White)));
        EXPECT_TRUE(samePixels(c.canvas.Compounds()[0], background)) << kind;
        EXPECT_TRUE(samePixels(c.canvas.Compounds()[1], background)) << kind;
        EXPECT_TRUE(samePixels(c.view.picture(), background)) << kind;
        // The previous picture at the new size, then the composite.
        EXPECT_EQ(c.view.pictureChanges(), 2);
    }
}

TEST(Composition, ARedGridReplacesExactlyItsPixels)
{
    std::mt19937 rng(2);
    const Surface background = randomSurface(41, 29, PixelFormat::Rgb24, rng);
    Chain c;
    c.open(background);
    c.drawLines(0x0000FF);
    const Surface &mask = c.grid.GridMask();
    int lines = 0;
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 41; ++x) {
            const bool line = mask.pixel(x, y) == Black;
            lines += line;
            EXPECT_EQ(c.grid.ColorLayer().pixel(x, y), line ? 0x0000FFu : White);
            EXPECT_EQ(c.canvas.Compounds()[1].pixel(x, y),
                      line ? 0x0000FFu : background.pixel(x, y));
            EXPECT_EQ(c.canvas.Compounds()[0].pixel(x, y), background.pixel(x, y));
        }
    EXPECT_GT(lines, 41 + 29);
    EXPECT_TRUE(samePixels(c.view.picture(), c.canvas.Compounds()[1]));
}

TEST(Composition, AColourChangeRecoloursTheSameMask)
{
    std::mt19937 rng(3);
    Chain c;
    c.open(randomSurface(20, 20, PixelFormat::Rgb24, rng));
    c.drawLines(0x0000FF);
    const Surface maskBefore = c.grid.GridMask();
    const Surface redComposite = c.canvas.Compounds()[1];
    c.grid.setGridColour(0x00FF00);
    c.grid.DrawGrid();
    EXPECT_TRUE(samePixels(c.grid.GridMask(), maskBefore));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (maskBefore.pixel(x, y) == Black) {
                EXPECT_EQ(redComposite.pixel(x, y), 0x0000FFu);
                EXPECT_EQ(c.canvas.Compounds()[1].pixel(x, y), 0x00FF00u);
            } else {
                EXPECT_EQ(c.canvas.Compounds()[1].pixel(x, y), redComposite.pixel(x, y));
            }
}

TEST(Composition, LinesAreNeverMixedWithThePicture)
{
    Chain c;
    c.open(Surface(10, 10, PixelFormat::Rgb24, White));
    c.drawLines(Black);
    EXPECT_EQ(c.canvas.Compounds()[1].pixel(3, 7), Black);
    c.open(Surface(10, 10, PixelFormat::Rgb24, Black));
    c.drawLines(White);
    EXPECT_EQ(c.canvas.Compounds()[1].pixel(3, 7), White);
    EXPECT_EQ(c.canvas.Compounds()[1].pixel(4, 7), Black);
}

TEST(Composition, TheCompositeWithGridIsIndependentOfItsSources)
{
    std::mt19937 rng(4);
    const Surface background = randomSurface(16, 12, PixelFormat::Rgb24, rng);
    Chain c;
    c.open(background);
    c.drawLines(0x0000FF);
    const Surface shown = c.view.picture();
    Surface snapshot(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            snapshot.setPixel(x, y, shown.pixel(x, y));

    // Drawing on a copy of Compounds[1], which shares its pixels, as the
    // next pass does.
    Surface c1 = c.canvas.Compounds()[1];
    c1.setPenColor(0x00FF00);
    c1.MoveTo(0, 8);
    c1.LineTo(16, 8);
    BitBlt(c1, Surface(16, 12, PixelFormat::Mono1, Black), RasterOp::MERGEPAINT);
    EXPECT_TRUE(samePixels(c.canvas.Compounds()[0], background));
    EXPECT_TRUE(samePixels(c.canvas.Layers()[0], background));
    EXPECT_TRUE(samePixels(c.view.picture(), snapshot));
    EXPECT_TRUE(samePixels(c.canvas.Compounds()[1], snapshot));

    // The next pass recomposes from the background.
    c.grid.DrawGrid();
    EXPECT_TRUE(samePixels(c.view.picture(), snapshot));
}

TEST(Composition, SwitchingKindsAndBackGivesTheSameMask)
{
    std::mt19937 rng(5);
    Chain c;
    c.open(randomSurface(50, 40, PixelFormat::Rgb24, rng));
    c.grid.GridTypeExecute(0);
    const Surface first = c.grid.GridMask();
    c.grid.GridTypeExecute(1);
    c.grid.GridTypeExecute(0);
    EXPECT_TRUE(samePixels(c.grid.GridMask(), first));
}
