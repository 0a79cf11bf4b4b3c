// Turning stored pictures upright: the eight orientations as the Exif
// standard describes them, and the placing of decoded rows in bands.

#include "picture/Orientation.h"

#include <gtest/gtest.h>

#include <vector>

using namespace masume;

namespace {

// The standard's words for orientation n: where the stored picture's
// first row and first column are seen in the upright picture.
enum Side { Top, Bottom, Left, Right };
struct Description
{
    Side firstRow, firstColumn;
};
const Description Described[9] = {
    {},          {Top, Left},  {Top, Right},    {Bottom, Right}, {Bottom, Left},
    {Left, Top}, {Right, Top}, {Right, Bottom}, {Left, Bottom},
};

// Where a side of the stored picture is seen, from the upright positions
// of its pixels: the side of the upright picture that they all touch.
Side seenAt(const std::vector<UprightPoint> &points, int64_t uw, int64_t uh)
{
    bool top = true, bottom = true, left = true, right = true;
    for (const UprightPoint &p : points) {
        top = top && p.y == 0;
        bottom = bottom && p.y == uh - 1;
        left = left && p.x == 0;
        right = right && p.x == uw - 1;
    }
    EXPECT_EQ(int(top) + int(bottom) + int(left) + int(right), 1);
    return top ? Top : bottom ? Bottom : left ? Left : Right;
}

} // namespace

TEST(Orientation, EachNumberTurnsAsTheStandardDescribesIt)
{
    const int64_t w = 5, h = 3;
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(swapsSides(n), n >= 5);
        const int64_t uw = swapsSides(n) ? h : w, uh = swapsSides(n) ? w : h;
        std::vector<UprightPoint> firstRow, firstColumn;
        for (int64_t x = 0; x < w; ++x)
            firstRow.push_back(uprightPixel(n, x, 0, w, h));
        for (int64_t y = 0; y < h; ++y)
            firstColumn.push_back(uprightPixel(n, 0, y, w, h));
        EXPECT_EQ(seenAt(firstRow, uw, uh), Described[n].firstRow);
        EXPECT_EQ(seenAt(firstColumn, uw, uh), Described[n].firstColumn);
        // The stored row runs along its side from the first column's end.
        const UprightPoint origin = uprightPixel(n, 0, 0, w, h);
        const UprightPoint next = uprightPixel(n, 1, 0, w, h);
        EXPECT_EQ(std::abs(next.x - origin.x) + std::abs(next.y - origin.y), 1);
    }
    // Other numbers leave the picture as stored.
    for (int n : {0, 9, -1}) {
        EXPECT_FALSE(swapsSides(n));
        EXPECT_EQ(uprightPixel(n, 3, 2, 5, 3).x, 3);
        EXPECT_EQ(uprightPixel(n, 3, 2, 5, 3).y, 2);
    }
}

// Every stored pixel lands where uprightPixel puts it, each upright pixel
// is written once, and nothing outside the picture (row padding
// included) is touched, whatever bands the rows come in.
TEST(Orientation, RowsInBandsLandWhereTheirPixelsBelong)
{
    struct Size
    {
        int w, h;
    };
    for (const Size size : {Size {1, 1}, {1, 7}, {7, 1}, {5, 3}, {4, 9}, {37, 29}})
        for (int n = 1; n <= 8; ++n)
            for (int band : {1, 2, 3, 32}) {
                SCOPED_TRACE(std::to_string(size.w) + "x" + std::to_string(size.h) + " n "
                             + std::to_string(n) + " band " + std::to_string(band));
                const int w = size.w, h = size.h;
                const int uw = swapsSides(n) ? h : w, uh = swapsSides(n) ? w : h;
                // Stored pixel (x, y) holds the bytes x, y and 7.
                const ptrdiff_t rowStride = ptrdiff_t(w) * 3 + 5; // with a gap
                std::vector<uint8_t> stored(size_t(rowStride) * size_t(h), 0xEE);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        uint8_t *p = &stored[size_t(y * rowStride + x * 3)];
                        p[0] = uint8_t(x);
                        p[1] = uint8_t(y);
                        p[2] = 7;
                    }
                const ptrdiff_t stride = (ptrdiff_t(uw) * 3 + 3) / 4 * 4 + 4;
                const uint8_t unwritten = 0xAB;
                std::vector<uint8_t> upright(size_t(stride) * size_t(uh), unwritten);
                for (int first = 0; first < h; first += band) {
                    const int count = std::min(band, h - first);
                    placeStoredRows(n, stored.data() + first * rowStride, rowStride, first, count,
                                    w, h, upright.data(), stride);
                }
                std::vector<uint8_t> expected(upright.size(), unwritten);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const UprightPoint p = uprightPixel(n, x, y, w, h);
                        ASSERT_TRUE(p.x >= 0 && p.x < uw && p.y >= 0 && p.y < uh);
                        uint8_t *e = &expected[size_t(p.y * stride + p.x * 3)];
                        ASSERT_EQ(e[2], unwritten) << "two pixels land at " << p.x << "," << p.y;
                        e[0] = uint8_t(x);
                        e[1] = uint8_t(y);
                        e[2] = 7;
                    }
                ASSERT_EQ(upright, expected);
            }
}
