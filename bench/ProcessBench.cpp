// Whole programs against whole programs: masume-batch laying a black square
// grid of 32 x 32 over photo-like JPEG files and writing JPEG files of
// quality 90, against libjpeg-turbo's own tools re-encoding the same files
// with the same settings and no grid: djpeg -dct float | cjpeg -quality 90
// -dct float -baseline (the floor: decoding and encoding alone). Both sides
// start their programs, read and write files; the CPU time counts every
// process of each side (user + system).
//
// - one 6000 x 4000 photo (24 MP) and one 12000 x 8000 photo (96 MP),
//   masume-batch with --jobs 2 (one picture on two threads, one reading
//   ahead), the pipe's two programs running at the same time;
// - eight photos of 3000 x 2000 in one masume-batch run (its default
//   number of jobs: every core) against a shell loop of the pipe.
//
// Each pair of runs is timed side by side (runPaired), and the figures are
// the medians of the pairs' ratios.

#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"
#include "bench/Processes.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace masume;
using namespace masume::bench;

namespace {

std::string pipeCommand(const std::string &in, const std::string &out)
{
    return "djpeg -dct float " + quoted(in) + " | cjpeg -quality 90 -dct float -baseline > "
        + quoted(out);
}

void paired(benchmark::State &state, const PhotoFiles &f)
{
    runPaired(state,
              batchProgram() + " --kind square --jobs 2 -o " + quoted(f.ours) + " "
                  + quoted(f.input),
              pipeCommand(f.input, f.theirs));
}

void BM_Process24MP(benchmark::State &state)
{
    static const PhotoFiles f(6000, 4000);
    paired(state, f);
}
BENCHMARK(BM_Process24MP)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(11)
    ->Repetitions(1);

void BM_Process96MP(benchmark::State &state)
{
    static const PhotoFiles f(12000, 8000);
    paired(state, f);
}
BENCHMARK(BM_Process96MP)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5)
    ->Repetitions(1);

// Eight different photos of 3000 x 2000.
struct EightPhotos
{
    TempFolder dir;
    std::string names; // quoted, separated by blanks
    EightPhotos()
    {
        std::filesystem::create_directory(dir / "ours");
        std::filesystem::create_directory(dir / "theirs");
        for (unsigned i = 0; i < 8; ++i) {
            const std::string name = dir / ("photo" + std::to_string(i) + ".jpg");
            writePhoto(3000, 2000, i, name);
            names += " " + quoted(name);
        }
    }
};

void BM_Process8Files(benchmark::State &state)
{
    static const EightPhotos f;
    const std::string loop = "for f in" + f.names
        + "; do djpeg -dct float \"$f\" | cjpeg -quality 90 -dct float -baseline > "
        + quoted(f.dir / "theirs") + "/\"$(basename \"$f\")\" || exit 1; done";
    runPaired(state,
              batchProgram() + " --kind square --out-dir " + quoted(f.dir / "ours") + f.names,
              loop);
}
BENCHMARK(BM_Process8Files)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(9)
    ->Repetitions(1);

const Figure cpu24("batch-24mp-cpu", "BM_Process24MP", "", "djpeg|cjpeg", Compared::WholeProcess,
                   "cpu_ratio");
const Figure wall24("batch-24mp-wall", "BM_Process24MP", "", "djpeg|cjpeg", Compared::WholeProcess,
                    "wall_ratio");
const Figure cpu96("batch-96mp-cpu", "BM_Process96MP", "", "djpeg|cjpeg", Compared::WholeProcess,
                   "cpu_ratio");
const Figure wall96("batch-96mp-wall", "BM_Process96MP", "", "djpeg|cjpeg", Compared::WholeProcess,
                    "wall_ratio");
const Figure wall8("batch-8-files-wall", "BM_Process8Files", "", "a shell loop of djpeg|cjpeg",
                   Compared::WholeProcess, "wall_ratio");
const Figure cpu8("batch-8-files-cpu", "BM_Process8Files", "", "a shell loop of djpeg|cjpeg",
                  Compared::WholeProcess, "cpu_ratio");

} // namespace
