// The redraw chain on a 6000 x 4000 picture against a memcpy of the same
// 24-bit pixels, both in this process. The chain ends in a composite that
// is a record of its blits (no copy of the picture is stored); each figure
// then reads every row of it once, as saving does, which is more than any
// view shows (the view builds only its exposed part: colour-bar-drag).

#include "Canvas/WindowlessChain.h"
#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"

#include <benchmark/benchmark.h>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// Both windows' halves with a picture opened and a mask holding lines every
// 32 pixels in both directions.
struct Setup : WindowlessChain
{
    Setup() { open(bench::noisePicture(W, H)); }

    void drawSquareLikeMask()
    {
        Surface &m = grid.GridMask;
        m.FillRect(0, 0, W, H);
        for (int x = 31; x < W; x += 32) {
            m.MoveTo(x, 0);
            m.LineTo(x, H);
        }
        for (int y = 31; y < H; y += 32) {
            m.MoveTo(0, y);
            m.LineTo(W, y);
        }
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

void BM_Memcpy24(benchmark::State &state)
{
    bench::timeMemcpy24(state, W, H);
}
BENCHMARK(BM_Memcpy24)->Unit(benchmark::kMillisecond);

void BM_ColourChange(benchmark::State &state)
{
    Setup &s = setup();
    s.drawSquareLikeMask();
    Colour c = 0;
    for (auto _ : state) {
        c = (c + 0x010305) & White;
        s.grid.ColorLayer.setBrushColor(c);
        s.grid.DrawGrid();
        benchmark::DoNotOptimize(bench::readEveryRow(s.view.picture()));
    }
}
BENCHMARK(BM_ColourChange)->Unit(benchmark::kMillisecond);

void BM_ChainKindNothing(benchmark::State &state)
{
    Setup &s = setup();
    s.grid.GridKind = GridKinds::Nothing;
    for (auto _ : state) {
        s.grid.DrawGLine();
        benchmark::DoNotOptimize(bench::readEveryRow(s.view.picture()));
    }
}
BENCHMARK(BM_ChainKindNothing)->Unit(benchmark::kMillisecond);

bench::Figure colourChange("colour-change", "BM_ColourChange", "BM_Memcpy24", "memcpy",
                           bench::Compared::InProcess);
bench::Figure chainNothing("chain-kind-0", "BM_ChainKindNothing", "BM_Memcpy24", "memcpy",
                           bench::Compared::InProcess);

} // namespace
