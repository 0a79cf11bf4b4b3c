// Opening a 6000 x 4000 JPEG through OpenPicture1Accept, from the file to
// the composed view (grid kind 0, as at start), against our bare decode of
// the same file: readPicture and makeSurface. Both in this process, timed
// in pairs (one opening, one decoding per iteration), so that both meet the
// same state of the machine; the figure is the median of the pairs'
// ratios.

#include "Canvas/WindowlessChain.h"
#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// A photo-like JPEG in a temporary folder, written on first use and removed
// at exit: smooth light, soft edges and a fine texture, so that the decoder
// meets flat areas and detail.
struct PhotoFile
{
    bench::TempFolder dir;
    std::string path = dir / "open.jpg";
    PhotoFile()
    {
        Surface s(W, H, PixelFormat::Rgb24);
        uint8_t *pixels = s.pixelsForOverwrite();
        for (int y = 0; y < H; ++y) {
            uint8_t *row = pixels + y * s.stride();
            for (int x = 0; x < W; ++x) {
                const double light = 0.5 + 0.4 * std::sin(x * 0.0013) * std::cos(y * 0.0021);
                const double grain = 12 * std::sin(x * 1.7 + y * 0.3) * std::cos(y * 1.1 - x * 0.2);
                const double edge = std::sin(x * 0.005 - y * 0.004) > 0.5 ? 35 : 0;
                const auto clamp = [](double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
                row[3 * x] = clamp(90 + 100 * light + grain - edge);
                row[3 * x + 1] = clamp(230 * light + 0.6 * grain);
                row[3 * x + 2] = clamp(250 * light + grain + edge);
            }
        }
        writeJpegFile(s, path);
    }
};

const std::string &photoFile()
{
    static const PhotoFile file;
    return file.path;
}

double millisecondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void BM_OpenAndDecode(benchmark::State &state)
{
    WindowlessChain chain;
    UnattendedHost host;
    PictureCommands commands(chain.canvas, host);
    const PictureHolder &view = chain.view;
    const std::string &file = photoFile();
    const auto open = [&] {
        commands.OpenPicture1Accept(file);
        // The view's first paint reads the rows (in place: with grid kind
        // 0 the composite is the background's storage).
        benchmark::DoNotOptimize(view.picture().constScanLine(0));
    };
    const auto decode = [&] {
        const Surface s = makeSurface(readPicture(file));
        benchmark::DoNotOptimize(s.constScanLine(0));
    };
    // Untimed: the storage the steady state cycles through, so that no
    // figure pays for memory first touched.
    for (int warm = 0; warm < 2; ++warm) {
        open();
        decode();
    }
    std::vector<double> opened, decoded, ratios;
    for (auto _ : state) {
        opened.push_back(millisecondsOf(open));
        decoded.push_back(millisecondsOf(decode));
        ratios.push_back(opened.back() / decoded.back());
    }
    if (view.width() != W || view.height() != H)
        state.SkipWithError("the picture was not opened");
    state.counters["open_ms"] = bench::median(opened);
    state.counters["decode_ms"] = bench::median(decoded);
    state.counters["ratio"] = bench::median(ratios);
}
BENCHMARK(BM_OpenAndDecode)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(25)
    ->Repetitions(1);

bench::Figure openJpeg("open-jpeg", "BM_OpenAndDecode", "", "decode", bench::Compared::InProcess,
                       "ratio");

} // namespace
