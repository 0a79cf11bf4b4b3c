// masume-batch over 20 photos of 3000 x 2000 with a square grid, against
// libjpeg-turbo's own tools re-encoding the same files one after another:
// djpeg -dct float | cjpeg -quality 90 -dct float.
//
// The pipe's two tools run at the same time, one on each core, while
// masume-batch works on one thread; a second figure runs the pipe pinned
// to one core (taskset), so that both sides have the same processor.

#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace masume;

namespace {

constexpr int Files = 20;

// The input files, written by our writer into a temporary folder that is
// removed at exit: 20 different crops of one larger photo, so that no file
// is a copy of another.
struct Inputs
{
    bench::TempFolder dir;
    std::string names; // quoted, separated by blanks

    Inputs()
    {
        std::filesystem::create_directory(dir / "ours");
        std::filesystem::create_directory(dir / "theirs");
        const Surface big = bench::photo(3000 + Files * 40, 2000);
        for (int i = 0; i < Files; ++i) {
            Surface crop(3000, 2000, PixelFormat::Rgb24);
            for (int y = 0; y < 2000; ++y)
                std::copy_n(big.constScanLine(y) + 3 * 40 * i, 3 * 3000, crop.scanLine(y));
            const std::string name = dir / ("photo" + std::to_string(i) + ".jpg");
            writeJpegFile(crop, name);
            names += " '" + name + "'";
        }
    }
};

Inputs &inputs()
{
    static Inputs f;
    return f;
}

void run(benchmark::State &state, const std::string &command)
{
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError(("failed: " + command).c_str());
}

void BM_BatchSquare(benchmark::State &state)
{
    const Inputs &f = inputs();
    run(state,
        std::string(MASUME_BATCH) + " --kind square --out-dir '" + f.dir / "ours" + "'" + f.names);
}
BENCHMARK(BM_BatchSquare)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

std::string pipeLoop(const Inputs &f, const std::string &prefix)
{
    return "for f in" + f.names + "; do " + prefix + "djpeg -dct float \"$f\" | " + prefix
        + "cjpeg -quality 90 -dct float > '" + f.dir / "theirs"
        + "'/\"$(basename \"$f\")\" || exit 1; done";
}

void BM_BatchDjpegCjpeg(benchmark::State &state)
{
    run(state, pipeLoop(inputs(), ""));
}
BENCHMARK(BM_BatchDjpegCjpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

void BM_BatchDjpegCjpegOneCore(benchmark::State &state)
{
    run(state, pipeLoop(inputs(), "taskset -c 0 "));
}
BENCHMARK(BM_BatchDjpegCjpegOneCore)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

const bench::Figure batch("batch-20-jpegs", "BM_BatchSquare", "BM_BatchDjpegCjpeg", "djpeg|cjpeg");
const bench::Figure batchOneCore("batch-20-jpegs-one-core", "BM_BatchSquare",
                                 "BM_BatchDjpegCjpegOneCore", "djpeg|cjpeg on one core");

} // namespace
