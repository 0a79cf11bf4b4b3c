// Opening and saving a 6000 x 4000 JPEG through our reader and writer,
// against libjpeg-turbo's own tools doing the same in one pipe: djpeg
// -dct float | cjpeg -quality 90 -dct float.
//
// The two tools of the pipe may run at the same time, one on each core,
// while our decoding and encoding follow each other on one thread; a second
// figure runs the pipe pinned to one core (taskset), so that both sides do
// the same work with the same processor.

#include "bench/Figures.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// Smooth random values: a lattice of random numbers `cell` pixels apart,
// interpolated with a smooth step in between.
class ValueNoise
{
public:
    ValueNoise(int cell, unsigned seed)
        : m_cell(cell)
        , m_columns(W / cell + 2)
        , m_rows(H / cell + 2)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> unit(-1, 1);
        m_values.resize(size_t(m_columns) * m_rows);
        for (float &v : m_values)
            v = unit(rng);
    }
    float at(int x, int y) const
    {
        const int cx = x / m_cell, cy = y / m_cell;
        const float fx = smooth(float(x % m_cell) / m_cell),
                    fy = smooth(float(y % m_cell) / m_cell);
        const float *r0 = &m_values[size_t(cy) * m_columns + cx];
        const float *r1 = r0 + m_columns;
        const float top = r0[0] + (r0[1] - r0[0]) * fx;
        const float bottom = r1[0] + (r1[1] - r1[0]) * fx;
        return top + (bottom - top) * fy;
    }

private:
    static float smooth(float t) { return t * t * (3 - 2 * t); }
    int m_cell, m_columns, m_rows;
    std::vector<float> m_values;
};

// A photo-like picture: detail on every scale with less contrast the finer
// it is (as in photographs of natural scenes), slowly changing colour casts
// and a few sharp edges; not noise, which no photograph is.
Surface photo()
{
    const ValueNoise octaves[] = {{600, 1}, {150, 2}, {40, 3}, {11, 4}, {3, 5}};
    const float amplitude[] = {1.0f, 0.55f, 0.32f, 0.2f, 0.14f};
    const ValueNoise warmth(900, 6), green(700, 7);
    Surface s(W, H, PixelFormat::Rgb24);
    for (int y = 0; y < H; ++y) {
        uint8_t *row = s.scanLine(y);
        for (int x = 0; x < W; ++x) {
            float light = 0;
            for (int o = 0; o < 5; ++o)
                light += amplitude[o] * octaves[o].at(x, y);
            // A horizon and a bright band give edges across the texture.
            light += y > H * 5 / 8 ? -0.35f : 0.15f;
            light += (x + y / 2) % 1500 < 80 ? 0.5f : 0;
            const float l = 120 + 70 * light;
            const float w = 35 * warmth.at(x, y), g = 25 * green.at(x, y);
            const auto clamp = [](float v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[3 * x + 2] = clamp(l + w);
            row[3 * x + 1] = clamp(l + g);
            row[3 * x] = clamp(l - w - 0.5f * g);
        }
    }
    return s;
}

// The input file, written by our writer at start-up into a temporary folder
// that is removed at exit.
struct Files
{
    std::filesystem::path dir;
    std::string input, ours, theirs;

    Files()
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "masume-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        input = (dir / "photo.jpg").string();
        ours = (dir / "ours.jpg").string();
        theirs = (dir / "theirs.jpg").string();
        writeJpegFile(photo(), input);
    }
    ~Files()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
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
