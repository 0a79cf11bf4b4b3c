#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace masume {

// How the pixels of a BMP file are stored, from its headers, checked against
// the file.
struct BmpLayout
{
    enum class Coding { Plain, Rle8, Rle4, BitFields };

    int width = 0; // > 0
    int height = 0; // > 0
    bool topDown = false;
    int bitsPerPixel = 0; // 1, 2, 4, 8, 16, 24 or 32
    Coding coding = Coding::Plain;
    // Red, green and blue masks of 16- and 32-bit pixels (the defaults when
    // the file gives none): each non-zero, contiguous, none overlapping.
    std::array<uint32_t, 3> masks {};
    // The colours of pixel values 0 to paletteSize - 1, as blue, green and
    // red bytes in the low 24 bits; paletteSize > 0 for up to 8 bits per
    // pixel, 0 above.
    std::array<uint32_t, 256> palette {};
    int paletteSize = 0;
    // The pixel data within the file: for plain and bit-field coding every
    // row is there (the last one possibly without its padding); for
    // run-length coding the bytes to decode.
    size_t pixelOffset = 0;
    size_t pixelBytes = 0;
    size_t rowBytes = 0; // plain and bit-field coding: the stored row length
};

// Parses the file and info headers, bit masks and colour table of a BMP
// file of at least one byte. Raises "ビットマップイメージが不正です" for a
// file without "BM", a plane count other than 1 and impossible or
// unsupported header values, "ストリームからの読み込みエラー" for a file
// that ends inside its headers, colour table or (uncompressed) pixels, or
// before the end of its run-length data as the image size gives it. Fields
// that neither find nor decode the pixels (the recorded file size, the image
// size of uncompressed pixels, the densities, the important colours) never
// refuse a file.
BmpLayout parseBmpHeader(std::span<const uint8_t> file);

// The same from the file's first bytes, at least the first BmpHeaderBytes
// of them (all of a shorter file), and the file's size: the pixels are
// found, and checked to be there, without reading them.
BmpLayout parseBmpHeader(std::span<const uint8_t> start, uint64_t fileSize);
// What parseBmpHeader reads of a file's start at most: the file and info
// headers, bit masks and a colour table of 256 entries.
inline constexpr size_t BmpHeaderBytes = 2048;

} // namespace masume
