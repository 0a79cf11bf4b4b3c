// Code against code in this one process: opening and saving a 6000 x 4000
// JPEG through our reader and writer (readPicture, makeSurface,
// writeJpegFile) against bare libjpeg calls doing the same with the same
// settings, as a plain program would make them: the file read into memory,
// decoded with the float DCT into blue-green-red rows of one malloc'ed
// buffer, encoded with the float DCT at quality 90 (baseline tables) into
// libjpeg's memory destination and written to a file. The difference is
// what our reading and writing add to the library's own work, or save.

#include "bench/Baselines.h"
#include "bench/Figures.h"
#include "picture/PictureFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <vector>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

// The input file, written at first use into a temporary folder that is
// removed at exit.
const bench::PhotoFiles &files()
{
    static const bench::PhotoFiles f(W, H);
    return f;
}

void BM_JpegRoundTrip(benchmark::State &state)
{
    const bench::PhotoFiles &f = files();
    for (auto _ : state) {
        const Surface s = makeSurface(readPicture(f.input));
        writeJpegFile(s, f.ours);
    }
}
BENCHMARK(BM_JpegRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// libjpeg alone. The input is known to be good, so the library's default
// error handling (which ends the process) is enough here.
void bareRoundTrip(const std::string &in, const std::string &out)
{
    std::vector<unsigned char> bytes;
    if (std::FILE *i = std::fopen(in.c_str(), "rb")) {
        std::fseek(i, 0, SEEK_END);
        bytes.resize(size_t(std::ftell(i)));
        std::rewind(i);
        if (std::fread(bytes.data(), 1, bytes.size(), i) != bytes.size())
            std::abort();
        std::fclose(i);
    }

    jpeg_error_mgr errors;
    jpeg_decompress_struct d;
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), bytes.size());
    jpeg_read_header(&d, TRUE);
    d.dct_method = JDCT_FLOAT;
    d.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&d);
    const size_t stride = (size_t(d.output_width) * 3 + 3) & ~size_t(3);
    // Not cleared: the decoder writes every row.
    const std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * d.output_height]);
    std::vector<JSAMPROW> rows(d.output_height);
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.get() + y * stride;
    while (d.output_scanline < d.output_height)
        jpeg_read_scanlines(&d, rows.data() + d.output_scanline,
                            d.output_height - d.output_scanline);
    jpeg_finish_decompress(&d);

    jpeg_compress_struct c;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char *encoded = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &encoded, &size);
    c.image_width = d.output_width;
    c.image_height = d.output_height;
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height)
        jpeg_write_scanlines(&c, rows.data() + c.next_scanline, c.image_height - c.next_scanline);
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    jpeg_destroy_decompress(&d);

    if (std::FILE *o = std::fopen(out.c_str(), "wb")) {
        std::fwrite(encoded, 1, size, o);
        std::fclose(o);
    }
    std::free(encoded);
}

void BM_LibjpegRoundTrip(benchmark::State &state)
{
    const bench::PhotoFiles &f = files();
    for (auto _ : state)
        bareRoundTrip(f.input, f.theirs);
}
BENCHMARK(BM_LibjpegRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

const bench::Figure roundTrip("jpeg-roundtrip", "BM_JpegRoundTrip", "BM_LibjpegRoundTrip",
                              "libjpeg alone", bench::Compared::InProcess);

} // namespace
