#include "Grid/GridRoutines.h"
#include "grid/Recorder.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

using namespace masume;
using namespace masume::test;

namespace {

// The vertical lines at xs, top to bottom, then the horizontal ones at ys.
Ops squareLines(int64_t W, int64_t H, std::initializer_list<int64_t> xs,
                std::initializer_list<int64_t> ys)
{
    Ops out;
    for (int64_t x : xs)
        out += path({{x, 0}, {x, H}});
    for (int64_t y : ys)
        out += path({{0, y}, {W, y}});
    return out;
}

struct Case
{
    const char *name;
    int64_t W, H;
    int32_t a, b;
    Ops expected;
};

} // namespace

TEST(DrawSquare, DrawsTheLinesOfEachCellInOrder)
{
    const Case cases[] = {
        {"100x70", 100, 70, 32, 32, squareLines(100, 70, {31, 63, 95, 127}, {31, 63, 95})},
        // The right-most column and the bottom row carry a line.
        {"96x64", 96, 64, 32, 32, squareLines(96, 64, {31, 63, 95, 127}, {31, 63, 95})},
        // A cell wider than the mask: its only vertical line lies outside.
        {"a > W", 20, 10, 32, 4, squareLines(20, 10, {31}, {3, 7, 11})},
        // A negative count draws no line of its series.
        {"a < 0", 100, 70, -32, 32, squareLines(100, 70, {}, {31, 63, 95})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(record(DrawSquare, c.W, c.H, c.a, c.b), c.expected) << c.name;
}

TEST(DrawSquare, TheLastCellOfAnExactFitEndsOnTheEdge)
{
    Surface mask(96, 64, PixelFormat::Mono1, White);
    SurfaceLineSink pen(mask);
    DrawSquare({pen, 96, 64, 32, 32}, 32, 32);
    PixelSet expected;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
            if (x % 32 == 31 || y % 32 == 31)
                expected.insert({x, y});
    EXPECT_EQ(blackPixels(mask), expected);
}

TEST(DrawDiamond, DrawsBothPassesInOrder)
{
    auto ops = [](std::initializer_list<Ops> parts) {
        Ops out;
        for (const Ops &p : parts)
            out += p;
        return out;
    };
    const Case cases[] = {
        {"100x70 32/32", 100, 70, 32, 32,
         ops({path({{112, 96}, {16, 0}, {0, 16}}), path({{144, 96}, {48, 0}, {0, 48}}),
              path({{176, 96}, {80, 0}, {0, 80}}), path({{208, 96}, {112, 0}, {0, 112}}),
              path({{0, 16}, {128, 144}}), path({{128, 80}, {112, 96}}),
              path({{0, 48}, {128, 176}}), path({{128, 48}, {80, 96}}), path({{0, 80}, {128, 208}}),
              path({{128, 16}, {48, 96}})})},
        // Odd a, a != b: the half sizes round half up.
        {"40x30 33/20", 40, 30, 33, 20,
         ops({path({{116, 60}, {17, 0}, {0, 10}}), path({{149, 60}, {50, 0}, {0, 30}}),
              path({{0, 10}, {66, 50}}), path({{66, 50}, {50, 60}}), path({{0, 30}, {66, 70}}),
              path({{66, 30}, {17, 60}}), path({{0, 50}, {66, 90}}), path({{66, 10}, {-16, 60}})})},
        // W < a/2: the quotient between -1 and 0 truncates to 0, so M = N = 2.
        {"10x10 32/32", 10, 10, 32, 32,
         ops({path({{80, 64}, {16, 0}, {0, 16}}), path({{112, 64}, {48, 0}, {0, 48}}),
              path({{0, 16}, {64, 80}}), path({{64, 48}, {48, 64}}), path({{0, 48}, {64, 112}}),
              path({{64, 16}, {16, 64}})})},
        {"100x70 300/300", 100, 70, 300, 300,
         ops({path({{750, 600}, {150, 0}, {0, 150}}), path({{1050, 600}, {450, 0}, {0, 450}}),
              path({{0, 150}, {600, 750}}), path({{600, 450}, {450, 600}}),
              path({{0, 450}, {600, 1050}}), path({{600, 150}, {150, 600}})})},
        // A negative width: M = -1, no first pass; ha = Trunc(-15.5) = -15.
        {"100x70 -32/32", 100, 70, -32, 32,
         ops({path({{0, 16}, {32, -16}}), path({{32, 80}, {49, 96}}), path({{0, 48}, {32, 16}}),
              path({{32, 48}, {81, 96}}), path({{0, 80}, {32, 48}}), path({{32, 16}, {113, 96}})})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(record(DrawDiamond, c.W, c.H, c.a, c.b), c.expected) << c.name;
}

TEST(DrawDiamond, CellsLargerThanTheMaskLeaveOneShortDiagonal)
{
    Surface mask(100, 70, PixelFormat::Mono1, White);
    SurfaceLineSink pen(mask);
    DrawDiamond({pen, 100, 70, 300, 300}, 300, 300);
    PixelSet expected;
    for (int x = 81; x <= 99; ++x)
        expected.insert({x, 150 - x});
    EXPECT_EQ(blackPixels(mask), expected);
}

TEST(DrawDiamond, CornersLieOnTheCellEdges)
{
    Surface mask(100, 70, PixelFormat::Mono1, White);
    SurfaceLineSink pen(mask);
    DrawDiamond({pen, 100, 70, 32, 32}, 32, 32);
    // The top-left diamond and the corners on the edges of the next cells.
    for (auto [x, y] :
         {std::pair {16, 0}, {32, 16}, {16, 32}, {0, 16}, {48, 0}, {64, 16}, {48, 32}})
        EXPECT_EQ(mask.pixel(x, y), Black) << x << ", " << y;
    // The cell centre and the cell corners stay white.
    for (auto [x, y] : {std::pair {16, 16}, {0, 0}, {32, 0}, {32, 32}})
        EXPECT_EQ(mask.pixel(x, y), White) << x << ", " << y;
}
