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

    // The square grid of 32 x 32: lines every 32 pixels both ways.
    void drawSquareMask()
    {
        grid.setSizeH(32);
        grid.setSizeV(32);
        grid.GridTypeExecute(GridKinds::Square);
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
    s.drawSquareMask();
    Colour c = 0;
    for (auto _ : state) {
        c = (c + 0x010305) & White;
        s.grid.setGridColour(c);
        s.grid.DrawGrid();
        benchmark::DoNotOptimize(bench::readEveryRow(s.view.picture()));
    }
}
BENCHMARK(BM_ColourChange)->Unit(benchmark::kMillisecond);

void BM_ChainKindNothing(benchmark::State &state)
{
    Setup &s = setup();
    s.grid.setGridKind(GridKinds::Nothing);
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
