// masume-compare-tool: the helpers of the whole-process comparison
// (bench/compare.sh), so that it stores no picture and trusts no peer's
// word:
//
//   masume-compare-tool photo W H FILE [VARIANT]
//       writes the benchmarks' photo-like picture of W x H (bench/Photo.h)
//       as a JPEG of quality 90, or a 24-bit BMP when FILE does not end in
//       .jpg or .jpeg; the same file for the same size and variant.
//   masume-compare-tool mask W H CELL FILE
//       writes a BMP of W x H, white with black lines of one pixel on every
//       CELL-th row and column (x and y = CELL - 1, 2 CELL - 1, ...): the
//       mask a peer without a grid of its own combines with a picture.
//   masume-compare-tool grid-check FILE CELL
//       exits 0 when the picture in FILE carries a grid of single dark
//       lines CELL pixels apart across the whole picture in both
//       directions, 1 otherwise; says what it found.

#include "bench/Photo.h"
#include "common/Error.h"
#include "picture/PictureFile.h"
#include "raster/RowReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace masume;

namespace {

bool isJpegName(const std::string &file)
{
    std::string ext;
    for (char c : dottedExtensionOf(file))
        ext += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".jpg" || ext == ".jpeg";
}

void write(const Surface &picture, const std::string &file)
{
    if (isJpegName(file))
        writeJpegFile(picture, file);
    else
        writeBmpFile(picture, file);
}

Surface mask(int w, int h, int cell)
{
    Surface s(w, h, PixelFormat::Rgb24, White);
    s.setPenColor(Black);
    for (int x = cell - 1; x < w; x += cell) {
        s.MoveTo(x, 0);
        s.LineTo(x, h);
    }
    for (int y = cell - 1; y < h; y += cell) {
        s.MoveTo(0, y);
        s.LineTo(w, y);
    }
    return s;
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
    Surface s = makeSurface(readPicture(file));
    s.convertTo24();
    const int w = s.width(), h = s.height();
    std::vector<int> darkInColumn(size_t(w), 0), darkInRow(size_t(h), 0);
    RowReader rows(s);
    for (int y = 0; y < h; ++y) {
        const uint8_t *p = rows.row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const int luma = (29 * p[0] + 150 * p[1] + 77 * p[2]) >> 8;
            if (luma < 60) {
                ++darkInColumn[size_t(x)];
                ++darkInRow[size_t(y)];
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
        if (a.size() >= 4 && a.size() <= 5 && a[0] == "photo") {
            const unsigned variant = a.size() == 5 ? unsigned(std::atoi(a[4].c_str())) : 0;
            write(bench::photo(std::atoi(a[1].c_str()), std::atoi(a[2].c_str()), variant), a[3]);
            return 0;
        }
        if (a.size() == 5 && a[0] == "mask") {
            write(mask(std::atoi(a[1].c_str()), std::atoi(a[2].c_str()), std::atoi(a[3].c_str())),
                  a[4]);
            return 0;
        }
        if (a.size() == 3 && a[0] == "grid-check")
            return gridCheck(a[1], std::atoi(a[2].c_str()));
    } catch (const Error &e) {
        std::fprintf(stderr, "masume-compare-tool: %s\n", e.what());
        return 1;
    }
    return usage();
}
