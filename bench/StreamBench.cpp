// masume-batch's streamed road in this process: batch::streamPicture laying
// a black square grid of 32 x 32 over a 6000 x 4000 photo-like JPEG and
// writing a JPEG of quality 90, on one thread and on two (one reading
// ahead), against bare libjpeg passing the same file's rows from its
// decoder to its encoder, 16 at a time, file to file, with the same
// settings and no grid: the floor of any road that streams a JPEG into a
// JPEG on one thread. Ours also flushes its file to disk before putting it
// in place (AtomicFile), as masume-batch does.
//
// Both in this process, timed in pairs (one of each per iteration, the
// order alternating), so that both meet the same state of the machine; the
// figures are the medians of the pairs' ratios of wall time and of CPU time
// (user + system of this whole process: both threads of ours).

#include "Grid/GridKinds.h"
#include "batch/StreamedPicture.h"
#include "bench/Baselines.h"
#include "bench/Figures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <jpeglib.h>
#include <string>
#include <vector>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

const bench::PhotoFiles &files()
{
    static const bench::PhotoFiles f(W, H);
    return f;
}

// libjpeg alone, a band of rows at a time. The input is known to be good,
// so the library's default error handling (which ends the process) is
// enough here.
void bareStreamed(const std::string &in, const std::string &out)
{
    std::FILE *i = std::fopen(in.c_str(), "rb");
    std::FILE *o = std::fopen(out.c_str(), "wb");
    if (!i || !o)
        std::abort();
    jpeg_error_mgr errors;
    jpeg_decompress_struct d;
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, i);
    jpeg_read_header(&d, TRUE);
    d.dct_method = JDCT_FLOAT;
    d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);

    jpeg_compress_struct c;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, o);
    c.image_width = d.output_width;
    c.image_height = d.output_height;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);

    constexpr int Band = 16;
    const size_t stride = size_t(d.output_width) * 3;
    std::vector<unsigned char> band(stride * Band);
    JSAMPROW rows[Band];
    for (int r = 0; r < Band; ++r)
        rows[r] = band.data() + size_t(r) * stride;
    while (d.output_scanline < d.output_height) {
        JDIMENSION got = 0;
        while (got < Band && d.output_scanline < d.output_height)
            got += jpeg_read_scanlines(&d, rows + got, Band - got);
        jpeg_write_scanlines(&c, rows, got);
    }
    jpeg_finish_compress(&c);
    jpeg_finish_decompress(&d);
    jpeg_destroy_compress(&c);
    jpeg_destroy_decompress(&d);
    std::fclose(i);
    if (std::fclose(o) != 0)
        std::abort();
}

struct Times
{
    double wallMs, cpuMs;
};

double processCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Times timed(const std::function<void()> &work)
{
    const double cpu = processCpuMs();
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(end - start).count(), processCpuMs() - cpu};
}

void streamedAgainstBare(benchmark::State &state, int threads)
{
    const bench::PhotoFiles &f = files();
    batch::BatchOptions options;
    options.kind = GridKinds::Square;
    const auto ours = [&] { batch::streamPicture(options, f.input, f.ours, threads); };
    const auto bare = [&] { bareStreamed(f.input, f.theirs); };
    // Untimed: the files in the page cache and the storage the steady state
    // cycles through.
    ours();
    bare();
    std::vector<double> oursWall, oursCpu, bareWall, bareCpu, wallRatio, cpuRatio;
    bool oursFirst = true;
    for (auto _ : state) {
        Times a {}, b {};
        if (oursFirst) {
            a = timed(ours);
            b = timed(bare);
        } else {
            b = timed(bare);
            a = timed(ours);
        }
        oursFirst = !oursFirst;
        oursWall.push_back(a.wallMs);
        oursCpu.push_back(a.cpuMs);
        bareWall.push_back(b.wallMs);
        bareCpu.push_back(b.cpuMs);
        wallRatio.push_back(a.wallMs / b.wallMs);
        cpuRatio.push_back(b.cpuMs > 0 ? a.cpuMs / b.cpuMs : 0);
    }
    state.counters["ours_wall_ms"] = bench::median(oursWall);
    state.counters["ours_cpu_ms"] = bench::median(oursCpu);
    state.counters["bare_wall_ms"] = bench::median(bareWall);
    state.counters["bare_cpu_ms"] = bench::median(bareCpu);
    state.counters["wall_ratio"] = bench::median(wallRatio);
    state.counters["cpu_ratio"] = bench::median(cpuRatio);
}

// Two functions rather than one with an argument: the summary keys its
// results by function name.
void BM_Streamed1Thread(benchmark::State &state)
{
    streamedAgainstBare(state, 1);
}
BENCHMARK(BM_Streamed1Thread)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(15)
    ->Repetitions(1);

void BM_Streamed2Threads(benchmark::State &state)
{
    streamedAgainstBare(state, 2);
}
BENCHMARK(BM_Streamed2Threads)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(15)
    ->Repetitions(1);

using bench::Compared;
using bench::Figure;
const Figure wall1("streamed-24mp-1-thread-wall", "BM_Streamed1Thread", "", "libjpeg rows alone",
                   Compared::InProcess, "wall_ratio");
const Figure cpu1("streamed-24mp-1-thread-cpu", "BM_Streamed1Thread", "", "libjpeg rows alone",
                  Compared::InProcess, "cpu_ratio");
const Figure wall2("streamed-24mp-2-threads-wall", "BM_Streamed2Threads", "", "libjpeg rows alone",
                   Compared::InProcess, "wall_ratio");
const Figure cpu2("streamed-24mp-2-threads-cpu", "BM_Streamed2Threads", "", "libjpeg rows alone",
                  Compared::InProcess, "cpu_ratio");

} // namespace
