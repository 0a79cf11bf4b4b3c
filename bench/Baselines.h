#pragma once

#include "raster/Surface.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace masume::bench {

// The baseline of the picture benchmarks: a memcpy of the 24-bit pixels of
// a W x H picture (rows padded to 4 bytes, as the surfaces hold them) from
// one buffer to another, both touched before timing.
void timeMemcpy24(benchmark::State &state, int W, int H);

// Reads every row of a surface once, as saving it does (RowReader): a
// composite that is a record of blits is built row by row, a stored one is
// read in place. Returns a byte of each row folded together, so that no
// read can be left out.
uint8_t readEveryRow(const Surface &surface);

// The median of some values (0 for none).
double median(std::vector<double> values);

// A fresh folder under the system's temporary folder, removed with all it
// holds at destruction; aborts when none can be made.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::filesystem::path &path() const { return m_path; }
    std::string operator/(const std::string &name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A photo of W x H (bench/Photo.h) as a JPEG file in a temporary folder of
// its own, written at construction and removed with the folder, and the
// names of the two sides' outputs beside it.
struct PhotoFiles
{
    TempFolder dir;
    std::string input = dir / "photo.jpg", ours = dir / "ours.jpg", theirs = dir / "theirs.jpg";
    PhotoFiles(int W, int H);
};

} // namespace masume::bench
