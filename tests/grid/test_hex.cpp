#include "Grid/GridRoutines.h"
#include "grid/Recorder.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <numbers>
#include <vector>

using namespace masume;
using namespace masume::test;

namespace {

// A drawn cell: its six polyline points and its connector.
struct Cell
{
    std::vector<Point> corners;
    Point from, to;
};

// The cells of a hexagonal routine's calls, in drawing order; every cell is
// one polyline, a pen move and a line.
std::vector<Cell> cellsOf(const Ops &ops)
{
    std::vector<Cell> out;
    EXPECT_EQ(ops.size() % 3, 0u);
    for (size_t i = 0; i + 2 < ops.size(); i += 3) {
        EXPECT_EQ(ops[i].kind, Op::Poly);
        EXPECT_EQ(ops[i].points.size(), 6u);
        EXPECT_EQ(ops[i + 1].kind, Op::Move);
        EXPECT_EQ(ops[i + 2].kind, Op::Line);
        out.push_back({ops[i].points, ops[i + 1].points.at(0), ops[i + 2].points.at(0)});
    }
    return out;
}

Ops cell(std::initializer_list<Point> corners, Point from, Point to)
{
    Ops out {polyline(corners)};
    out += path({from, to});
    return out;
}

Ops transposed(Ops ops)
{
    for (Op &op : ops)
        for (Point &p : op.points)
            p = {p.y, p.x};
    return ops;
}

Surface drawn(Routine routine, int W, int H, int32_t a, int32_t b)
{
    Surface mask(W, H, PixelFormat::Mono1, White);
    SurfaceLineSink pen(mask);
    routine({pen, W, H, a, b}, a, b);
    return mask;
}

} // namespace

TEST(DrawHexH, DrawsTheWorkedExampleCellByCell)
{
    Ops expected;
    for (int64_t dy : {0, 48, 96}) {
        expected += cell(
            {{28, 8 + dy}, {14, dy}, {0, 8 + dy}, {0, 24 + dy}, {14, 32 + dy}, {28, 24 + dy}},
            {14, 32 + dy}, {14, 48 + dy});
        expected += cell(
            {{55, 8 + dy}, {41, dy}, {27, 8 + dy}, {27, 24 + dy}, {41, 32 + dy}, {55, 24 + dy}},
            {41, 32 + dy}, {41, 48 + dy});
        expected += cell(
            {{82, 8 + dy}, {68, dy}, {54, 8 + dy}, {54, 24 + dy}, {68, 32 + dy}, {82, 24 + dy}},
            {68, 32 + dy}, {68, 48 + dy});
        expected += cell(
            {{110, 8 + dy}, {96, dy}, {82, 8 + dy}, {82, 24 + dy}, {96, 32 + dy}, {110, 24 + dy}},
            {96, 32 + dy}, {96, 48 + dy});
    }
    EXPECT_EQ(record(DrawHexH, 100, 80, 32, 32), expected);
}

TEST(DrawHexV, DrawsColumnByColumnFromTheWorkedExample)
{
    const Ops ops = record(DrawHexV, 100, 80, 32, 32);
    const Ops first
        = cell({{8, 28}, {0, 14}, {8, 0}, {24, 0}, {32, 14}, {24, 28}}, {32, 14}, {48, 14});
    ASSERT_GE(ops.size(), first.size());
    EXPECT_EQ(Ops(ops.begin(), ops.begin() + 3), first);
    // Columns at x = 0, 48, 96, each with cells at RowY = -2, 25, 52: the left
    // corner (point 2) lies on (ColX, RowY + 16).
    std::vector<Point> left;
    for (const Cell &c : cellsOf(ops))
        left.push_back(c.corners[1]);
    const std::vector<Point> expected {{0, 14},  {0, 41},  {0, 68},  {48, 14}, {48, 41},
                                       {48, 68}, {96, 14}, {96, 41}, {96, 68}};
    EXPECT_EQ(left, expected);
}

TEST(DrawHexV, IsDrawHexHTransposed)
{
    const int32_t sizes[] = {1, 2, 3, 7, 8, 13, 32, 33, 100, -5, -32, 1000000007, INT_MAX, INT_MIN};
    const std::pair<int64_t, int64_t> masks[] = {{100, 80}, {37, 61}, {13, 5}, {0, 0}};
    for (int32_t a : sizes)
        for (int32_t b : sizes)
            for (auto [W, H] : masks)
                ASSERT_EQ(record(DrawHexV, W, H, a, b), transposed(record(DrawHexH, H, W, b, a)))
                    << "a " << a << " b " << b << " on " << W << " x " << H;
}

TEST(DrawHexH, TheFirstColumnsLeftSideIsVisibleFromAWidthOf8)
{
    // ColX of the first cell truncates its negative argument toward zero.
    for (int32_t a : {7, 8}) {
        const std::vector<Cell> cells = cellsOf(record(DrawHexH, 100, 80, a, 32));
        ASSERT_FALSE(cells.empty());
        const int64_t left = a == 8 ? 0 : -1;
        EXPECT_EQ(cells[0].corners[2], (Point {left, 8})) << a;
        EXPECT_EQ(cells[0].corners[3], (Point {left, 24})) << a;

        const Surface mask = drawn(DrawHexH, 100, 80, a, 32);
        for (int y = 8; y < 24; ++y)
            EXPECT_EQ(mask.pixel(0, y), a == 8 ? Black : White) << "a " << a << " y " << y;
    }
}

TEST(DrawHexH, ShortAndNarrowMasks)
{
    // H < b: NR truncates to 0, so two drawn rows, the second below the mask.
    std::vector<int64_t> rowTops;
    for (const Cell &c : cellsOf(record(DrawHexH, 100, 20, 32, 32)))
        rowTops.push_back(c.corners[1].y);
    EXPECT_EQ(rowTops, (std::vector<int64_t> {0, 0, 0, 0, 48, 48, 48, 48}));

    // W < 2q: one cell per drawn row.
    std::vector<Point> tops;
    for (const Cell &c : cellsOf(record(DrawHexH, 20, 80, 32, 32)))
        tops.push_back(c.corners[1]);
    EXPECT_EQ(tops, (std::vector<Point> {{14, 0}, {14, 48}, {14, 96}}));
}

TEST(DrawHexH, TheLastCellOfARowHasNoRightSide)
{
    // a = 8, W = 13: two cells per row; the second's right corners fall on
    // the last column, where no vertical side is drawn.
    const std::vector<Cell> cells = cellsOf(record(DrawHexH, 13, 40, 8, 32));
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[1].corners[0], (Point {12, 8}));
    EXPECT_EQ(cells[1].corners[5], (Point {12, 24}));

    const Surface mask = drawn(DrawHexH, 13, 40, 8, 32);
    EXPECT_EQ(mask.pixel(12, 8), Black); // the start of the polyline
    for (int y = 9; y < 24; ++y)
        EXPECT_EQ(mask.pixel(12, y), White) << y;
}

TEST(DrawHexH, CellsNarrowerThanAPixelStepShareOffsets)
{
    // a = 1: the cell step 2q = 0.87 pixels, so cells 3 and 4 share one
    // offset while cells 2 and 3 do not; no cell is left out.
    const std::vector<Cell> cells = cellsOf(record(DrawHexH, 10, 1, 1, 32));
    ASSERT_EQ(cells.size(), 2u * 12);
    EXPECT_EQ(cells[3].corners[1].x, cells[4].corners[1].x);
    EXPECT_LT(cells[2].corners[1].x, cells[3].corners[1].x);
}

TEST(DrawHexH, QIsHeldInSinglePrecision)
{
    // a = 3: q = 1.2990381 as a float; far along the row the rounding shows.
    // Cell 1195 has ColX = Trunc(3104.43...) - 1 = 3103 with the float q, where
    // the exact q would give 3104.
    const std::vector<Cell> cells = cellsOf(record(DrawHexH, 3200, 1, 3, 32));
    ASSERT_GT(cells.size(), 1195u);
    EXPECT_EQ(cells[1195].corners[1].x, 3103 + 2);
}

TEST(DrawHexH, CellsFarAlongAVeryWideRowKeepTheFormula)
{
    // The top corners (ColX + X1) of every cell of a row 70000 pixels wide,
    // well beyond any offsets the routine keeps for reuse between rows.
    struct Tops final : LineSink
    {
        std::vector<int64_t> x;
        void MoveTo(int64_t, int64_t) override { }
        void LineTo(int64_t, int64_t) override { }
        void Polyline(std::span<const Point> points) override { x.push_back(points[1].x); }
    } tops;
    DrawHexH({tops, 70000, 1, 1, INT_MAX}, 1, INT_MAX); // two drawn rows
    const float q = float(0.25L * std::numbers::sqrt3_v<long double>); // a = 1
    const size_t perRow = size_t(70000.0L / q / 2) + 1;
    ASSERT_EQ(tops.x.size(), 2 * perRow);
    for (size_t j : {size_t(0), size_t(65535), size_t(65536), size_t(65537), perRow - 1}) {
        const int64_t colX = int64_t(2.0L * j * q - 0.5L + q + 0.5L) - 1;
        EXPECT_EQ(tops.x[j], colX + 1) << j; // X1 = 1
        EXPECT_EQ(tops.x[perRow + j], colX + 1) << j; // the same in the next row
    }
}
