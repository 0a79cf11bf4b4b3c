#include "Grid/GridRoutines.h"
#include "grid/Recorder.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <vector>

using namespace masume;
using namespace masume::test;

namespace {

using Positions = std::vector<int64_t>;

// Staggered rows: rows 0 .. rows - 1 of height b with the separators of the
// even rows at even[] and of the odd rows at odd[], then the full lines.
Ops staggeredRows(int64_t W, int64_t b, int rows, const Positions &even, const Positions &odd,
                  const Positions &full)
{
    Ops out;
    for (int r = 0; r < rows; ++r)
        for (int64_t x : (r % 2 ? odd : even))
            out += path({{x, r * b}, {x, (r + 1) * b}});
    for (int64_t y : full)
        out += path({{0, y}, {W, y}});
    return out;
}

// Staggered columns: the full lines first, then the separators of the
// columns of width a.
Ops staggeredColumns(int64_t H, int64_t a, int columns, const Positions &full,
                     const Positions &even, const Positions &odd)
{
    Ops out;
    for (int64_t x : full)
        out += path({{x, 0}, {x, H}});
    for (int c = 0; c < columns; ++c)
        for (int64_t y : (c % 2 ? odd : even))
            out += path({{c * a, y}, {(c + 1) * a, y}});
    return out;
}

struct Case
{
    const char *name;
    int32_t a, b;
    Ops expected;
};

} // namespace

TEST(DrawSHexH, DrawsTheSeparatorsRowByRowThenTheFullLines)
{
    const Case cases[] = {
        {"32/32", 32, 32,
         staggeredRows(100, 32, 4, {31, 63, 95, 127}, {15, 47, 79, 111}, {31, 63, 95})},
        {"25/40", 25, 40,
         staggeredRows(100, 40, 4, {24, 49, 74, 99, 124}, {11, 36, 61, 86, 111}, {39, 79})},
        // An odd width: the shift rounds half up, to 17.
        {"33/32", 33, 32,
         staggeredRows(100, 32, 4, {32, 65, 98, 131}, {15, 48, 81, 114}, {31, 63, 95})},
        // b > H: one pair of rows and one full line, all but row 0 outside.
        {"32/100", 32, 100, staggeredRows(100, 100, 2, {31, 63, 95, 127}, {15, 47, 79, 111}, {99})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(record(DrawSHexH, 100, 70, c.a, c.b), c.expected) << c.name;
}

TEST(DrawSHexV, DrawsTheFullLinesThenTheSeparatorsColumnByColumn)
{
    const Case cases[] = {
        {"32/32", 32, 32,
         staggeredColumns(70, 32, 6, {31, 63, 95, 127}, {31, 63, 95}, {15, 47, 79})},
        {"25/40", 25, 40, staggeredColumns(70, 25, 6, {24, 49, 74, 99, 124}, {39, 79}, {19, 59})},
    };
    for (const Case &c : cases)
        EXPECT_EQ(record(DrawSHexV, 100, 70, c.a, c.b), c.expected) << c.name;
}

TEST(DrawSHexH, ARowTallerThanTheMaskShowsOnlyItsSeparators)
{
    Surface mask(100, 70, PixelFormat::Mono1, White);
    SurfaceLineSink pen(mask);
    DrawSHexH({pen, 100, 70, 32, 100}, 32, 100);
    PixelSet expected;
    for (int x : {31, 63, 95})
        for (int y = 0; y < 70; ++y)
            expected.insert({x, y});
    EXPECT_EQ(blackPixels(mask), expected);
}

TEST(DrawSHexH, NarrowCellsAlternateTheirColumns)
{
    // a = 2 (shift 1): the even rows on the odd columns, the odd rows on the
    // even ones. a = 1 (shift 1 as well): a separator on every column of
    // every row, the odd rows' first one at x = -1.
    for (int32_t a : {1, 2}) {
        Surface mask(9, 8, PixelFormat::Mono1, White);
        SurfaceLineSink pen(mask);
        DrawSHexH({pen, 9, 8, a, 4}, a, 4);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool oddRow = (y / 4) % 2 == 1;
                const bool separator = a == 1 || (oddRow ? x % 2 == 0 : x % 2 == 1);
                const bool fullLine = y == 3 || y == 7;
                EXPECT_EQ(mask.pixel(x, y) == Black, separator || fullLine)
                    << "a " << a << " at " << x << ", " << y;
            }
    }
}
