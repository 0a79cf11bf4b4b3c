#include "raster/Line.h"
#include "raster/Surface.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace masume;
using masume::test::blackPixels;
using masume::test::PixelSet;

namespace {

Surface white(int w, int h)
{
    Surface s(w, h, PixelFormat::Mono1, White);
    s.setPenColor(Black);
    return s;
}

PixelSet drawn(int w, int h, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    Surface s = white(w, h);
    s.MoveTo(x0, y0);
    s.LineTo(x1, y1);
    return blackPixels(s);
}

// The pixel rule stated independently of the drawer: at each step along the
// longer axis, the pixel whose minor coordinate is nearest the ideal line,
// the smaller one on a tie; kept when inside w x h.
PixelSet reference(int w, int h, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    using i128 = __int128;
    PixelSet out;
    const i128 dx = i128(x1) - x0, dy = i128(y1) - y0;
    const bool xMajor = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
    const i128 d = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    const i128 n = xMajor ? dy : dx;
    const int sM = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const i128 M0 = xMajor ? x0 : y0, m0 = xMajor ? y0 : x0;
    const i128 sizeMajor = xMajor ? w : h;
    // Only the steps whose major coordinate lies inside can show.
    for (i128 M = 0; M < sizeMajor; ++M) {
        const i128 i = (M - M0) * sM;
        if (i < 0 || i >= d)
            continue;
        // minor = m0 + n*i/d, nearest integer, ties to the smaller one.
        const i128 num = n * i;
        i128 k = num >= 0 ? num / d : -((-num + d - 1) / d); // floor
        // candidates k and k + 1; compare 2*num with d*(2k+1)
        if (2 * num > d * (2 * k + 1))
            ++k;
        const i128 minor = m0 + k;
        const i128 x = xMajor ? M : minor, y = xMajor ? minor : M;
        if (x >= 0 && x < w && y >= 0 && y < h)
            out.insert({int(x), int(y)});
    }
    return out;
}

} // namespace

TEST(Lines, VerticalLineExcludesItsEnd)
{
    PixelSet expected;
    for (int y = 0; y < 10; ++y)
        expected.insert({5, y});
    EXPECT_EQ(drawn(12, 12, 5, 0, 5, 10), expected);
}

TEST(Lines, ZeroLengthSetsNothing)
{
    EXPECT_TRUE(drawn(8, 8, 3, 3, 3, 3).empty());
}

struct TieCase
{
    int x0, y0, x1, y1;
    PixelSet pixels;
};

// Each line has an ideal point exactly midway between two pixels; the one
// with the smaller minor coordinate is taken, whichever way the line runs.
TEST(Lines, TieRuleInAllEightDirections)
{
    const std::vector<TieCase> cases = {
        {0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 1}}},
        {4, 1, 0, 0, {{4, 1}, {3, 1}, {2, 0}, {1, 0}}},
        {0, 1, 4, 0, {{0, 1}, {1, 1}, {2, 0}, {3, 0}}},
        {4, 0, 0, 1, {{4, 0}, {3, 0}, {2, 0}, {1, 1}}},
        {0, 0, 1, 4, {{0, 0}, {0, 1}, {0, 2}, {1, 3}}},
        {1, 4, 0, 0, {{1, 4}, {1, 3}, {0, 2}, {0, 1}}},
        {1, 0, 0, 4, {{1, 0}, {1, 1}, {0, 2}, {0, 3}}},
        {0, 4, 1, 0, {{0, 4}, {0, 3}, {0, 2}, {1, 1}}},
    };
    for (const TieCase &c : cases)
        EXPECT_EQ(drawn(6, 6, c.x0, c.y0, c.x1, c.y1), c.pixels)
            << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", " << c.y1 << ")";
}

TEST(Lines, FortyFiveDegreesIsDiagonal)
{
    EXPECT_EQ(drawn(6, 6, 0, 0, 3, 3), (PixelSet {{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(drawn(6, 6, 3, 0, 0, 3), (PixelSet {{3, 0}, {2, 1}, {1, 2}}));
}

TEST(Lines, ReversedLinesDifferOnlyAtTheirEnds)
{
    std::mt19937 rng(7);
    for (int k = 0; k < 2000; ++k) {
        const int x0 = int(rng() % 40), y0 = int(rng() % 40), x1 = int(rng() % 40),
                  y1 = int(rng() % 40);
        PixelSet a = drawn(40, 40, x0, y0, x1, y1), b = drawn(40, 40, x1, y1, x0, y0);
        a.erase({x0, y0});
        b.erase({x1, y1});
        EXPECT_EQ(a, b) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}

TEST(Lines, AgreeWithTheReferenceIncludingClipping)
{
    std::mt19937 rng(1234);
    const int w = 23, h = 17;
    for (int k = 0; k < 20000; ++k) {
        const int range = k < 10000 ? 60 : 400;
        auto coord = [&] { return int64_t(rng() % range) - range / 3; };
        const int64_t x0 = coord(), y0 = coord(), x1 = coord(), y1 = coord();
        ASSERT_EQ(drawn(w, h, x0, y0, x1, y1), reference(w, h, x0, y0, x1, y1))
            << x0 << "," << y0 << " to " << x1 << "," << y1;
    }
}

TEST(Lines, FarEndpointsClipExactly)
{
    // Far outside on both axes, in every combination of sign and size.
    const std::vector<std::array<int64_t, 4>> lines = {
        {-2000000000, 3, 10, 5},
        {10, 5, -2000000000, 3},
        {-2000000000, -2000000001, 2000000000, 2000000003},
        {int64_t(1) << 62, -(int64_t(1) << 62), -(int64_t(1) << 62), (int64_t(1) << 62) + 7},
        {-4294967296LL * 3, 7, 4294967296LL * 5, 9},
        {5, -(int64_t(1) << 40), 6, int64_t(1) << 40},
    };
    for (const auto &l : lines)
        EXPECT_EQ(drawn(31, 29, l[0], l[1], l[2], l[3]), reference(31, 29, l[0], l[1], l[2], l[3]))
            << l[0] << "," << l[1] << " to " << l[2] << "," << l[3];
    // The full 64-bit range: an exact diagonal through the origin.
    PixelSet diagonal;
    for (int k = 0; k < 29; ++k)
        diagonal.insert({k, k});
    EXPECT_EQ(drawn(31, 29, INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX), diagonal);
    EXPECT_LE(drawn(31, 29, INT64_MAX, INT64_MIN + 5, INT64_MIN, INT64_MAX - 3).size(), 31u);
    // The visible part of a long line equals that of the same line from 0.
    EXPECT_EQ(drawn(11, 3, -2000000000, 1, 10, 1), drawn(11, 3, 0, 1, 10, 1));
}

TEST(Lines, SixPointPolylineLeavesOnlyTheLastPointUnset)
{
    Surface s = white(20, 20);
    const std::vector<Point> points = {{1, 1}, {8, 1}, {8, 6}, {3, 9}, {3, 15}, {12, 15}};
    s.Polyline(points);
    for (size_t i = 0; i + 1 < points.size(); ++i)
        EXPECT_EQ(s.pixel(int(points[i].x), int(points[i].y)), Black) << i;
    EXPECT_EQ(s.pixel(12, 15), White);
    EXPECT_EQ(s.pixel(11, 15), Black);
    // The pen position is neither used nor changed.
    EXPECT_EQ(s.penPosition(), (Point {0, 0}));
}

TEST(Lines, PenPositionFollowsLineTo)
{
    Surface s = white(10, 10);
    s.MoveTo(1, 1);
    s.LineTo(5, 1);
    s.LineTo(5, 5);
    EXPECT_EQ(s.penPosition(), (Point {5, 5}));
    EXPECT_EQ(blackPixels(s),
              (PixelSet {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}, {5, 4}}));
}

TEST(Lines, TwentyFourBitPenColour)
{
    Surface s(4, 3, PixelFormat::Rgb24, White);
    s.setPenColor(0x0000FF);
    s.MoveTo(-5, 1);
    s.LineTo(100, 1);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(s.pixel(x, 0), White);
        EXPECT_EQ(s.pixel(x, 1), 0x0000FFu);
    }
}

TEST(Lines, EmptySurfaceIgnoresDrawing)
{
    Surface s(0, 5, PixelFormat::Mono1);
    s.MoveTo(0, 0);
    s.LineTo(10, 10);
    const std::vector<Point> pts = {{0, 0}, {3, 3}};
    s.Polyline(pts);
    s.FillRect(-10, -10, 10, 10);
    EXPECT_EQ(s.width(), 0);
    EXPECT_EQ(s.height(), 5);
    EXPECT_EQ(s.penPosition(), (Point {10, 10}));
}
