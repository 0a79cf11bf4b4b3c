// The grid mask drawn band by band, as masume-batch passes a picture on as
// rows, against the whole mask of DrawGLine: the same pixels for every kind,
// size and band height, and the cost of a band bounded by its own lines.

#include "Grid/BandMask.h"
#include "Grid/GridCore.h"
#include "common/Error.h"
#include "grid/Recorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace masume;
using namespace masume::test;

namespace {

struct FixedCanvas : CanvasLink
{
    int w = 0, h = 0;
    int canvasWidth() const override { return w; }
    int canvasHeight() const override { return h; }
    void CompoundLayer() override { }
};

// The whole mask as the grid window draws it, one byte per pixel.
std::vector<uint8_t> wholeMask(int32_t kind, int32_t a, int32_t b, int w, int h)
{
    FixedCanvas canvas;
    canvas.w = w;
    canvas.h = h;
    GridCore grid;
    grid.setCanvas(&canvas);
    grid.FormCreate(a, b);
    grid.setGridKind(kind);
    grid.DrawGLine();
    std::vector<uint8_t> out(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[size_t(y) * size_t(w) + size_t(x)]
                = grid.GridMask().pixel(x, y) == White ? 0xFF : 0;
    return out;
}

// The mask drawn in bands of `rows` rows from the top, the last one shorter.
std::vector<uint8_t> bandedMask(int32_t kind, int32_t a, int32_t b, int w, int h, int rows)
{
    const BandMask mask(kind, a, b, w, h);
    std::vector<uint8_t> out(size_t(w) * size_t(h), 0x55);
    for (int top = 0; top < h; top += rows)
        mask.draw(out.data() + size_t(top) * size_t(w), w, top, std::min(rows, h - top));
    return out;
}

} // namespace

// Every kind (the codes that draw nothing among them), sizes of 1, 2, 7, 32,
// negative, mixed and larger than the picture, on pictures from 1 x 1 to
// tall and wide ones with odd sides, in bands of 1, 3, 16 rows and whole.
TEST(BandMask, BandsHoldTheWholeMasksPixels)
{
    const int32_t kinds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, -1};
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1},  {2, 2},  {7, 7},  {32, 32}, {7, 3},
                                                 {3, 11}, {-5, 7}, {6, -9}, {-8, -8}, {500, 400}};
    const std::pair<int, int> pictures[]
        = {{1, 1}, {2, 3}, {37, 29}, {160, 97}, {9, 300}, {301, 5}};
    for (int32_t kind : kinds)
        for (auto [a, b] : sizes)
            for (auto [w, h] : pictures) {
                const std::vector<uint8_t> whole = wholeMask(kind, a, b, w, h);
                for (int rows : {1, 3, 16, h}) {
                    SCOPED_TRACE("kind " + std::to_string(kind) + ", " + std::to_string(a) + " x "
                                 + std::to_string(b) + " on " + std::to_string(w) + " x "
                                 + std::to_string(h) + " in bands of " + std::to_string(rows));
                    ASSERT_EQ(bandedMask(kind, a, b, w, h, rows), whole);
                }
            }
}

// A size of 0 fails as opening a picture fails, before any band.
TEST(BandMask, ASizeOf0RaisesTheDivisionMessage)
{
    for (int32_t kind = 2; kind <= 7; ++kind) {
        const BandMask mask(kind, 0, 32, 40, 30);
        EXPECT_THROW(mask.check(), Error) << kind;
        EXPECT_NO_THROW(BandMask(kind, 32, 32, 40, 30).check()) << kind;
    }
    EXPECT_NO_THROW(BandMask(0, 0, 0, 40, 30).check());
}

// A band costs the lines that cross it: a band of a tall picture with the
// finest grids takes a number of calls that does not grow with the picture's
// height.
TEST(BandMask, ABandCostsTheLinesThatCrossIt)
{
    const int64_t W = 64, top = 5000, rows = 16;
    for (Routine routine : {DrawSquare, DrawDiamond, DrawSHexH, DrawSHexV, DrawHexH, DrawHexV}) {
        size_t calls[2];
        for (int n = 0; n < 2; ++n) {
            const int64_t H = n == 0 ? 10000 : 1000000;
            Recorder r;
            routine({r, W, H, 1, 1, RowBand {top, top + rows}}, 1, 1);
            calls[n] = r.ops.size();
        }
        EXPECT_EQ(calls[0], calls[1]);
        EXPECT_LT(calls[0], size_t(20 * (W + rows) * rows));
    }
}
