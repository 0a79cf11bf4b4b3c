#include "bench/Baselines.h"

#include "bench/Photo.h"
#include "raster/RowReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace masume::bench {

void timeMemcpy24(benchmark::State &state, int W, int H)
{
    const size_t bytes = size_t(Surface::rowBytes(W, PixelFormat::Rgb24)) * H;
    std::unique_ptr<uint8_t[]> from(new uint8_t[bytes]), to(new uint8_t[bytes]);
    std::memset(from.get(), 0x5A, bytes);
    std::memset(to.get(), 0, bytes);
    for (auto _ : state) {
        std::memcpy(to.get(), from.get(), bytes);
        benchmark::DoNotOptimize(to.get());
        benchmark::ClobberMemory();
    }
}

uint8_t readEveryRow(const Surface &surface)
{
    RowReader rows(surface);
    uint8_t folded = 0;
    const size_t last = size_t(surface.width()) * size_t(surface.bytesPerPixel()) / 2;
    for (int y = 0; y < surface.height(); ++y) {
        const uint8_t *row = rows.row(y);
        benchmark::DoNotOptimize(row);
        folded ^= row[last];
    }
    return folded;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "masume-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

PhotoFiles::PhotoFiles(int W, int H)
{
    writePhoto(W, H, 0, input);
}

} // namespace masume::bench
