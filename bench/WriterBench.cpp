// Code against code in this one process: the three writers saving the
// same 6000 x 4000 photo-like picture into a file of a temporary folder
// (writeBmpFile, writeJpegFile, writePngFile), the atomic file and its
// flush to disk included. The PNG writer's compression level and filter
// were chosen by such times (see picture/PngWriter.cpp); the figures set
// its time against the other two.

#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "bench/Photo.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

struct Pictures
{
    bench::TempFolder dir;
    Surface photo = bench::photo(W, H);

    Pictures() { (void)photo.constScanLine(0); }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

template<void write(const Surface &, const std::string &)>
void timeWriter(benchmark::State &state, const char *name)
{
    Pictures &p = pictures();
    const std::string file = p.dir / name;
    for (auto _ : state)
        write(p.photo, file);
}

void BM_WriteBmp(benchmark::State &state)
{
    timeWriter<writeBmpFile>(state, "photo.bmp");
}
void BM_WriteJpeg(benchmark::State &state)
{
    timeWriter<writeJpegFile>(state, "photo.jpg");
}
void BM_WritePng(benchmark::State &state)
{
    timeWriter<writePngFile>(state, "photo.png");
}
BENCHMARK(BM_WriteBmp)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_WritePng)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

const bench::Figure pngAgainstBmp("png-write-vs-bmp", "BM_WritePng", "BM_WriteBmp", "BMP writer",
                                  bench::Compared::InProcess);
const bench::Figure pngAgainstJpeg("png-write-vs-jpeg", "BM_WritePng", "BM_WriteJpeg",
                                   "JPEG writer", bench::Compared::InProcess);

} // namespace
