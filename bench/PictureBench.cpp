// Opening and saving a 6000 x 4000 JPEG through our reader and writer,
// against libjpeg-turbo's own tools doing the same in one pipe: djpeg
// -dct float | cjpeg -quality 90 -dct float.
//
// The two tools of the pipe may run at the same time, one on each core,
// while our decoding and encoding follow each other on one thread; a second
// figure runs the pipe pinned to one core (taskset), so that both sides do
// the same work with the same processor.

#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// The input file, written by our writer at start-up into a temporary folder
// that is removed at exit.
struct Files
{
    bench::TempFolder dir;
    std::string input = dir / "photo.jpg", ours = dir / "ours.jpg", theirs = dir / "theirs.jpg";

    Files() { writeJpegFile(bench::photo(W, H), input); }
};

Files &files()
{
    static Files f;
    return f;
}

void BM_JpegRoundTrip(benchmark::State &state)
{
    const Files &f = files();
    for (auto _ : state) {
        const Surface s = makeSurface(readPicture(f.input));
        writeJpegFile(s, f.ours);
    }
}
BENCHMARK(BM_JpegRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void runPipe(benchmark::State &state, const std::string &prefix)
{
    const Files &f = files();
    const std::string command = prefix + "djpeg -dct float '" + f.input + "' | " + prefix
        + "cjpeg -quality 90 -dct float > '" + f.theirs + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("djpeg | cjpeg failed");
}

void BM_DjpegCjpeg(benchmark::State &state)
{
    runPipe(state, "");
}
BENCHMARK(BM_DjpegCjpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_DjpegCjpegOneCore(benchmark::State &state)
{
    runPipe(state, "taskset -c 0 ");
}
BENCHMARK(BM_DjpegCjpegOneCore)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

const bench::Figure roundTrip("jpeg-roundtrip", "BM_JpegRoundTrip", "BM_DjpegCjpeg", "djpeg|cjpeg");
const bench::Figure roundTripOneCore("jpeg-roundtrip-one-core", "BM_JpegRoundTrip",
                                     "BM_DjpegCjpegOneCore", "djpeg|cjpeg on one core");

} // namespace
