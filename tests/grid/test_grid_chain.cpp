// The grid routines as the grid window calls them: through DrawGLine, on the
// mask, with the failure state of a size of 0.

#include "Canvas/WindowlessChain.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "grid/Recorder.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <string>

using namespace masume;
using namespace masume::test;

namespace {

Routine freeRoutine(int32_t kind)
{
    switch (kind) {
    case GridKinds::Square:
        return DrawSquare;
    case GridKinds::Diamond:
        return DrawDiamond;
    case GridKinds::StaggeredRows:
        return DrawSHexH;
    case GridKinds::StaggeredColumns:
        return DrawSHexV;
    case GridKinds::HexRows:
        return DrawHexH;
    case GridKinds::HexColumns:
        return DrawHexV;
    }
    return nullptr;
}

// A main window of a given picture size that only counts its compositions.
struct FakeCanvas : CanvasLink
{
    int w = 0, h = 0, compositions = 0;
    int canvasWidth() const override { return w; }
    int canvasHeight() const override { return h; }
    void CompoundLayer() override { ++compositions; }
};

// Both windows' halves with a picture of seeded random colours opened.
struct Chain : WindowlessChain
{
    void open(int w, int h)
    {
        std::mt19937 rng(w * 31 + h);
        WindowlessChain::open(randomSurface(w, h, PixelFormat::Rgb24, rng));
    }
};

std::string messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

// The message of a size of 0: the quotient by a comes first in every kind;
// its dividend is 0 exactly when the mask's extent in that direction is.
std::string zeroSizeMessage(int64_t W, int64_t H, int32_t a)
{
    return (a == 0 ? W : H) == 0 ? msg::InvalidOperation : msg::ZeroDivide;
}

} // namespace

TEST(GridChain, EachKindDrawsItsRoutineOnTheMask)
{
    // Unequal sizes, so that a swapped size or setting shows.
    FakeCanvas canvas;
    canvas.w = 100;
    canvas.h = 80;
    GridCore grid;
    grid.setCanvas(&canvas);
    grid.FormCreate(13, 21);
    for (int32_t kind = GridKinds::Square; kind <= GridKinds::HexColumns; ++kind) {
        grid.GridTypeExecute(kind);
        Surface expected(100, 80, PixelFormat::Mono1, White);
        SurfaceLineSink pen(expected);
        freeRoutine(kind)({pen, 100, 80, 13, 21}, 13, 21);
        std::string where;
        EXPECT_TRUE(samePixels(grid.GridMask(), expected, &where))
            << "kind " << kind << " at " << where;
        EXPECT_LT(blackPixels(grid.GridMask()).size(), 100u * 80) << kind;
    }
    EXPECT_EQ(canvas.compositions, 6);
}

TEST(GridChain, ASquareGridOf1By1TurnsTheMaskBlack)
{
    Chain c;
    c.open(23, 17);
    c.grid.setSizeH(1);
    c.grid.setSizeV(1);
    c.grid.GridTypeExecute(GridKinds::Square);
    EXPECT_TRUE(samePixels(c.grid.GridMask(), Surface(23, 17, PixelFormat::Mono1, Black)));
    EXPECT_TRUE(samePixels(c.view.picture(), Surface(23, 17, PixelFormat::Rgb24, Black)));
}

TEST(GridChain, ASizeOf0FailsBeforeDrawingAndKeepsTheShownGrid)
{
    for (int32_t kind = GridKinds::Square; kind <= GridKinds::HexColumns; ++kind)
        for (auto [a, b] : {std::pair {0, 32}, {32, 0}, {0, 0}})
            for (auto [w, h] : {std::pair {60, 40}, {0, 40}, {60, 0}}) {
                const std::string what = "kind " + std::to_string(kind) + " sizes "
                    + std::to_string(a) + "/" + std::to_string(b) + " on " + std::to_string(w)
                    + " x " + std::to_string(h);
                const std::string message = zeroSizeMessage(w, h, a);

                Recorder pen;
                EXPECT_EQ(messageOf([&] {
                              freeRoutine(kind)({pen, w, h, a, b}, a, b);
                          }),
                          message)
                    << what;
                EXPECT_TRUE(pen.ops.empty()) << what;

                // A picture with this kind's grid is shown; then the picture
                // control takes a new size and the size 0 is applied.
                Chain c;
                c.grid.setGridKind(kind);
                c.open(50, 30);
                const int changes = c.view.pictureChanges();
                const Surface shown = c.view.picture();
                const Surface colours = c.grid.ColorLayer();
                c.view.setWidth(w);
                c.view.setHeight(h);
                c.grid.setSizeH(a);
                c.grid.setSizeV(b);
                EXPECT_EQ(messageOf([&] { c.grid.DrawGLine(); }), message) << what;
                EXPECT_TRUE(samePixels(c.grid.GridMask(), Surface(w, h, PixelFormat::Mono1, White)))
                    << what;
                EXPECT_EQ(c.view.pictureChanges(), changes) << what;
                EXPECT_TRUE(samePixels(c.view.picture(), shown)) << what;
                EXPECT_TRUE(samePixels(c.grid.ColorLayer(), colours)) << what;
            }
}

// Any kind code, any 32-bit sizes, masks of 0 to 10000 pixels each way:
// DrawGLine draws without fault or fails with the message of a size of 0.
// Cases whose drawing would take long (under the sanitizers above all) are
// left out by an estimate of their calls and pixels; the routines
// themselves never leave anything out.
TEST(GridChain, AnySizesOnAnyMask)
{
    std::mt19937_64 rng(0x6d617375);
    const int32_t extremes[]
        = {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, 3, INT_MAX, INT_MAX - 1, 1 << 30};
    auto size = [&]() -> int32_t {
        switch (rng() % 3) {
        case 0:
            return int32_t(uint32_t(rng()));
        case 1:
            return int32_t(rng() % 601) - 300;
        default:
            return extremes[rng() % std::size(extremes)];
        }
    };
    // An upper bound of the work of a routine: its drawing calls plus the
    // pixels its lines may set, each line at most W + H long, plus the mask's
    // pixels, which its first line brings into being.
    auto work = [](int32_t kind, double W, double H, double a, double b) {
        const double perA = W / std::abs(a) + 3, perB = H / std::abs(b) + 3;
        const double line = W + H + 1;
        switch (kind) {
        case GridKinds::Square:
            return (perA + perB) * line;
        case GridKinds::Diamond:
            return 2 * (perA + perB) * line;
        case GridKinds::StaggeredRows:
            return ((perB + 2) * perA + perB) * line;
        case GridKinds::StaggeredColumns:
            return ((perA + 2) * perB + perA) * line;
        case GridKinds::HexRows:
        case GridKinds::HexColumns: {
            const bool rows = kind == GridKinds::HexRows;
            const double along = rows ? W / (0.86 * std::abs(a)) + 2 : H / (0.86 * std::abs(b)) + 2;
            const double across = rows ? H / std::abs(b) + 4 : W / std::abs(a) + 4;
            const double cell = std::min(3 * (std::abs(a) + std::abs(b)) + 6, 6 * line);
            return along * across * (10 + cell);
        }
        }
        return 0.0;
    };
    auto cost = [&](int32_t kind, double W, double H, double a, double b) {
        return W * H + work(kind, W, H, a, b);
    };

    FakeCanvas canvas;
    GridCore grid;
    grid.setCanvas(&canvas);
    grid.FormCreate(32, 32);
    int drawn = 0, failed = 0, left = 0;
    for (int n = 0; n < 300; ++n) {
        const int32_t kind = int32_t(rng() % 10) - 1;
        const int32_t a = size(), b = size();
        const int w = int(rng() % 10001);
        const int h = int(rng() % 10001);
        const bool draws = kind >= GridKinds::Square && kind <= GridKinds::HexColumns;
        const bool zero = draws && (a == 0 || b == 0);
        if (draws && !zero && cost(kind, w, h, a, b) > 2e7) {
            ++left;
            continue;
        }
        // A white mask costs nothing to resize; the last case's lines would.
        // Kind 0 draws it white at the last case's size.
        grid.GridTypeExecute(GridKinds::Nothing);
        canvas.w = w;
        canvas.h = h;
        grid.setGridKind(kind);
        grid.setSizeH(a);
        grid.setSizeV(b);
        const std::string what = "kind " + std::to_string(kind) + " " + std::to_string(a) + "/"
            + std::to_string(b) + " on " + std::to_string(canvas.w) + " x "
            + std::to_string(canvas.h);
        const int before = canvas.compositions;
        const std::string expected = zero ? zeroSizeMessage(canvas.w, canvas.h, a) : "(no error)";
        ASSERT_EQ(messageOf([&] { grid.DrawGLine(); }), expected) << what;
        ASSERT_EQ(canvas.compositions, before + (zero ? 0 : 1)) << what;
        ASSERT_EQ(grid.GridMask().width(), canvas.w);
        ASSERT_EQ(grid.GridMask().height(), canvas.h);
        (zero ? failed : drawn) += 1;
    }
    // The sweep reaches every outcome.
    EXPECT_GT(drawn, 100);
    EXPECT_GT(failed, 10);
    EXPECT_LT(left, 150);
}
