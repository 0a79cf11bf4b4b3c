// The whole redraw chain (mask, colour layer, composites) on a 4000 x 3000
// picture for the square grid of 32 x 32 and for the most cells any grid
// draws there, hexagons in rows of 1 x 1 (about 9.2 million cells), each
// against a memcpy of the same 24-bit picture, in this process; every row
// of the new composite is read once, as saving reads it.

#include "Canvas/WindowlessChain.h"
#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"

#include <benchmark/benchmark.h>

using namespace masume;

namespace {

constexpr int W = 4000;
constexpr int H = 3000;

// Both windows' halves with a photo-like picture opened.
struct GridSetup : WindowlessChain
{
    GridSetup() { open(bench::noisePicture(W, H)); }
};

GridSetup &setup()
{
    static GridSetup s;
    return s;
}

void BM_Memcpy24_4000x3000(benchmark::State &state)
{
    bench::timeMemcpy24(state, W, H);
}
BENCHMARK(BM_Memcpy24_4000x3000)->Unit(benchmark::kMillisecond);

// A grid kind chosen in the grid window: GridTypeExecute, DrawGLine, the
// routine, DrawGrid and CompoundLayer, up to the picture handed to the view,
// whose rows are then read.
void chain(benchmark::State &state, int32_t kind, int32_t a, int32_t b)
{
    GridSetup &s = setup();
    s.grid.setSizeH(a);
    s.grid.setSizeV(b);
    for (auto _ : state) {
        s.grid.GridTypeExecute(kind);
        benchmark::DoNotOptimize(bench::readEveryRow(s.view.picture()));
    }
}

void BM_ChainSquare32(benchmark::State &state)
{
    chain(state, GridKinds::Square, 32, 32);
}
BENCHMARK(BM_ChainSquare32)->Unit(benchmark::kMillisecond);

void BM_ChainHexRows1(benchmark::State &state)
{
    chain(state, GridKinds::HexRows, 1, 1);
}
BENCHMARK(BM_ChainHexRows1)->Unit(benchmark::kMillisecond);

bench::Figure square32("square-32", "BM_ChainSquare32", "BM_Memcpy24_4000x3000", "memcpy",
                       bench::Compared::InProcess);
bench::Figure hexRows1("hex-rows-1", "BM_ChainHexRows1", "BM_Memcpy24_4000x3000", "memcpy",
                       bench::Compared::InProcess);

} // namespace
