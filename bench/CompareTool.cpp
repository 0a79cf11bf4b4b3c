// masume-compare-tool: the helpers of the whole-process comparison
// (bench/compare.sh), so that it stores no picture and trusts no peer's
// word. None of them holds a picture whole: a 40000 x 40000 photo costs a
// few rows of memory.
//
//   masume-compare-tool photo W H FILE [VARIANT]
//       writes the benchmarks' photo-like picture of W x H (bench/Photo.h)
//       as a JPEG of quality 90, or a 24-bit BMP when FILE does not end in
//       .jpg or .jpeg; the same file for the same size and variant.
//   masume-compare-tool mask W H CELL FILE
//       writes a binary PGM (one 8-bit channel) of W x H, white with black
//       lines of one pixel on every CELL-th row and column (x and y =
//       CELL - 1, 2 CELL - 1, ...): the mask a peer without a grid of its
//       own combines with a picture.
//   masume-compare-tool grid-check FILE CELL
//       exits 0 when the picture in FILE carries a grid of single dark
//       lines CELL pixels apart across the whole picture in both
//       directions, 1 otherwise; says what it found. A JPEG or PNG file is
//       read row by row as it is decoded.

#include "bench/Photo.h"
#include "common/Error.h"
#include "picture/AtomicFile.h"
#include "picture/ByteSource.h"
#include "picture/JpegStream.h"
#include "picture/PictureFile.h"
#include "picture/PngReader.h"
#include "picture/SurfaceStream.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace masume;

namespace {

void writeMask(int w, int h, int cell, const std::string &file)
{
    AtomicFile out(file);
    const std::string header = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    out.write(header.data(), header.size());
    std::vector<uint8_t> open(size_t(w), 255), line(size_t(w), 0);
    for (int x = cell - 1; x < w; x += cell)
        open[size_t(x)] = 0;
    for (int y = 0; y < h; ++y) {
        const std::vector<uint8_t> &row = y % cell == cell - 1 ? line : open;
        out.write(row.data(), row.size());
    }
    out.commit();
}

// A picture file's rows: a JPEG or PNG file's as it decodes them, any
// other readable file's from the picture read whole.
struct OpenedRows
{
    std::unique_ptr<ByteSource> source;
    std::unique_ptr<PictureStream> rows;
};

OpenedRows openRows(const std::string &file)
{
    OpenedRows opened;
    const PictureFormat *format = findPictureFormat(extensionOf(file));
    if (format && format->kind == PictureKind::Jpeg) {
        opened.source = std::make_unique<FileSource>(file);
        JpegReading reading;
        reading.use = PictureUse::Rows;
        opened.rows = openJpegStream(*opened.source, reading);
    } else if (extensionOf(file) == "png") {
        opened.source = std::make_unique<FileSource>(file);
        opened.rows = std::make_unique<PngStream>(*opened.source);
    } else {
        opened.rows = std::make_unique<SurfaceStream>(makeSurface(readPicture(file)));
    }
    return opened;
}

// The positions (of count) whose dark pixels reach `share` of their line.
std::vector<int> darkLines(const std::vector<int> &dark, int length, double share)
{
    std::vector<int> lines;
    for (int i = 0; i < int(dark.size()); ++i)
        if (dark[size_t(i)] >= share * length)
            lines.push_back(i);
    return lines;
}

// Single lines `cell` apart from one end of the picture to the other.
bool isGrid(const std::vector<int> &lines, int size, int cell)
{
    if (lines.empty() || int(lines.size()) < size / cell - 1)
        return false;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i] - lines[i - 1] != cell)
            return false;
    return lines.front() < cell && lines.back() >= size - cell;
}

int gridCheck(const std::string &file, int cell)
{
    const OpenedRows opened = openRows(file);
    PictureStream &in = *opened.rows;
    const int w = in.width(), h = in.height();
    std::vector<int> darkInColumn(size_t(w), 0), darkInRow(size_t(h), 0);
    constexpr int Band = 16;
    const ptrdiff_t stride = ptrdiff_t(3) * w;
    std::vector<uint8_t> band(size_t(stride) * Band);
    for (int top = 0; top < h; top += Band) {
        const int count = std::min(Band, h - top);
        in.readRows(band.data(), stride, count);
        for (int r = 0; r < count; ++r) {
            const uint8_t *p = band.data() + r * stride;
            for (int x = 0; x < w; ++x, p += 3) {
                const int luma = (29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8;
                if (luma < 60) {
                    ++darkInColumn[size_t(x)];
                    ++darkInRow[size_t(top + r)];
                }
            }
        }
    }
    const std::vector<int> columns = darkLines(darkInColumn, h, 0.9);
    const std::vector<int> lines = darkLines(darkInRow, w, 0.9);
    const bool ok = isGrid(columns, w, cell) && isGrid(lines, h, cell);
    std::printf("%s: %dx%d, %zu dark columns from %d, %zu dark rows from %d: %s\n", file.c_str(), w,
                h, columns.size(), columns.empty() ? -1 : columns.front(), lines.size(),
                lines.empty() ? -1 : lines.front(), ok ? "a grid" : "NO GRID");
    return ok ? 0 : 1;
}

// A size or a cell from the command line: a decimal number from 1 to
// 65535 (JPEG's limit), 0 for anything else.
int positive(const std::string &text)
{
    char *end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && *end == 0 && n >= 1 && n <= 65535 ? int(n) : 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: masume-compare-tool photo W H FILE [VARIANT]\n"
                 "       masume-compare-tool mask W H CELL FILE\n"
                 "       masume-compare-tool grid-check FILE CELL\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> a(argv + 1, argv + argc);
    try {
        if (a.size() >= 4 && a.size() <= 5 && a[0] == "photo" && positive(a[1]) && positive(a[2])) {
            const unsigned variant = a.size() == 5 ? unsigned(std::atoi(a[4].c_str())) : 0;
            bench::writePhoto(positive(a[1]), positive(a[2]), variant, a[3]);
            return 0;
        }
        if (a.size() == 5 && a[0] == "mask" && positive(a[1]) && positive(a[2]) && positive(a[3])) {
            writeMask(positive(a[1]), positive(a[2]), positive(a[3]), a[4]);
            return 0;
        }
        if (a.size() == 3 && a[0] == "grid-check" && positive(a[2]))
            return gridCheck(a[1], positive(a[2]));
    } catch (const Error &e) {
        std::fprintf(stderr, "masume-compare-tool: %s\n", e.what());
        return 1;
    }
    return usage();
}
