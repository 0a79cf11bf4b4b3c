// Opening a 6000 x 4000 JPEG through OpenPicture1Accept, from the file to
// the composed view (grid kind 0, as at start), against our bare decode of
// the same file: readPicture and makeSurface.

#include "Canvas/WindowlessChain.h"
#include "bench/Figures.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// A photo-like JPEG, written once per run: smooth light, soft edges and a
// fine texture, so that the decoder meets flat areas and detail.
const std::string &photoFile()
{
    static const std::string path = [] {
        Surface s(W, H, PixelFormat::Rgb24);
        for (int y = 0; y < H; ++y) {
            uint8_t *row = s.scanLine(y);
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
        std::string name = (std::filesystem::temp_directory_path()
                            / ("masume-open-bench-" + std::to_string(::getpid()) + ".jpg"))
                               .string();
        writeJpegFile(s, name);
        return name;
    }();
    return path;
}

struct Removal
{
    ~Removal()
    {
        std::error_code ignored;
        std::filesystem::remove(photoFile(), ignored);
    }
};

void BM_OpenPicture(benchmark::State &state)
{
    static Removal removal;
    WindowlessChain chain;
    UnattendedHost host(chain.grid);
    PictureCommands commands(chain.canvas, host);
    const PictureHolder &view = chain.view;
    const std::string &file = photoFile();
    // Untimed: the two pictures' worth of storage the steady state cycles
    // through, so that no figure pays for memory first touched.
    for (int warm = 0; warm < 2; ++warm)
        commands.OpenPicture1Accept(file);
    for (auto _ : state) {
        commands.OpenPicture1Accept(file);
        // The view's first paint reads the rows.
        benchmark::DoNotOptimize(view.picture().constScanLine(0));
    }
    if (view.width() != W || view.height() != H)
        state.SkipWithError("the picture was not opened");
}
BENCHMARK(BM_OpenPicture)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DecodeJpeg(benchmark::State &state)
{
    static Removal removal;
    const std::string &file = photoFile();
    benchmark::DoNotOptimize(makeSurface(readPicture(file)).constScanLine(0)); // untimed
    for (auto _ : state) {
        const Surface s = makeSurface(readPicture(file));
        benchmark::DoNotOptimize(s.constScanLine(0));
    }
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);

bench::Figure openJpeg("open-jpeg", "BM_OpenPicture", "BM_DecodeJpeg", "decode",
                       bench::Compared::InProcess);

} // namespace
