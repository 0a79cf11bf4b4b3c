#include "Grid/MaskPen.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace masume;
using masume::test::samePixels;

// The pen sets exactly the pixels the surface's own lines set: along rows
// and columns inside, crossing each edge or lying beyond it, one pixel
// long, slanted, in either direction, in both pixel formats.
TEST(MaskPen, SetsThePixelsOfTheSurfacesOwnLines)
{
    std::mt19937 rng(7);
    auto coordinate = [&](int size) -> int64_t {
        switch (rng() % 4) {
        case 0:
            return int64_t(rng() % 5) - 2; // around 0
        case 1:
            return size - 2 + int64_t(rng() % 5); // around the far edge
        case 2:
            return int64_t(rng() % 2 ? 1 : -1) * int64_t(rng() % 4000000000u);
        default:
            return rng() % (size + 1);
        }
    };
    for (PixelFormat format : {PixelFormat::Mono1, PixelFormat::Rgb24})
        for (int n = 0; n < 300; ++n) {
            const int w = 1 + int(rng() % 12), h = 1 + int(rng() % 12);
            Surface ours(w, h, format, White), theirs(w, h, format, White);
            const Colour pen = format == PixelFormat::Mono1 ? Black : Colour(0x123456);
            ours.setPenColor(pen);
            theirs.setPenColor(pen);
            {
                MaskPen p(ours);
                SurfaceLineSink s(theirs);
                for (int k = 0; k < 6; ++k) {
                    Point a {coordinate(w), coordinate(h)}, b {coordinate(w), coordinate(h)};
                    if (rng() % 3 == 0)
                        b.y = a.y; // along a row
                    else if (rng() % 2 == 0)
                        b.x = a.x; // along a column
                    if (rng() % 4 == 0)
                        b = {a.x + int64_t(rng() % 3) - 1, a.y + int64_t(rng() % 3) - 1};
                    const Point path[3] = {a, b, {coordinate(w), b.y}};
                    if (k % 2) {
                        p.Polyline(path);
                        s.Polyline(path);
                    } else {
                        p.MoveTo(a.x, a.y);
                        s.MoveTo(a.x, a.y);
                        p.LineTo(b.x, b.y);
                        s.LineTo(b.x, b.y);
                        p.LineTo(path[2].x, path[2].y); // on from the pen position
                        s.LineTo(path[2].x, path[2].y);
                    }
                }
            }
            std::string where;
            ASSERT_TRUE(samePixels(ours, theirs, &where)) << "case " << n << " at " << where;
            EXPECT_EQ(ours.penPosition(), theirs.penPosition());
        }
}

TEST(MaskPen, StartsFromTheSurfacesPenPosition)
{
    Surface ours(8, 8, PixelFormat::Mono1, White), theirs(8, 8, PixelFormat::Mono1, White);
    ours.MoveTo(2, 1);
    theirs.MoveTo(2, 1);
    {
        MaskPen p(ours);
        p.LineTo(2, 6);
    }
    theirs.LineTo(2, 6);
    EXPECT_TRUE(samePixels(ours, theirs));
    EXPECT_EQ(ours.penPosition(), (Point {2, 6}));
}

TEST(MaskPen, DrawsNothingOnAnEmptySurface)
{
    Surface empty(0, 5, PixelFormat::Mono1, White);
    MaskPen p(empty);
    p.MoveTo(0, 0);
    p.LineTo(0, 5);
    const Point path[2] = {{-1, 2}, {3, 2}};
    p.Polyline(path);
    EXPECT_TRUE(empty.isEmpty());
}
