#pragma once

// Helpers of the PNG tests: decoding with the program's reader, PNG files
// put together chunk by chunk, the test files made by make-png-cases.py.

#include "PictureTestSupport.h"
#include "picture/ByteSource.h"
#include "picture/PngReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace masume::test {

// The whole picture of a PNG file through PngStream, read in pieces of
// `rowsAtOnce` rows, as a 24-bit surface.
inline Surface decodePng(const std::vector<uint8_t> &file, int rowsAtOnce = 1)
{
    MemorySource source(file);
    PngStream stream(source);
    Surface s(stream.width(), stream.height(), PixelFormat::Rgb24);
    uint8_t *pixels = s.pixelsForOverwrite();
    for (int y = 0; y < s.height(); y += rowsAtOnce)
        stream.readRows(pixels + y * s.stride(), s.stride(), std::min(rowsAtOnce, s.height() - y));
    return s;
}

inline uint32_t crc32(const uint8_t *data, size_t size, uint32_t crc = 0)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

inline void putBig32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

inline uint32_t big32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct PngChunk
{
    std::string type;
    std::vector<uint8_t> data;
};

inline const std::vector<uint8_t> PngSignature = {137, 80, 78, 71, 13, 10, 26, 10};

// The signature and the chunks, each with its length and right CRC.
inline std::vector<uint8_t> pngFile(const std::vector<PngChunk> &chunks)
{
    std::vector<uint8_t> out = PngSignature;
    for (const PngChunk &c : chunks) {
        putBig32(out, uint32_t(c.data.size()));
        const size_t start = out.size();
        out.insert(out.end(), c.type.begin(), c.type.end());
        out.insert(out.end(), c.data.begin(), c.data.end());
        putBig32(out, crc32(out.data() + start, out.size() - start));
    }
    return out;
}

// The whole chunks of a file after its first 8 bytes, up to the first that
// does not fit in the file.
inline std::vector<PngChunk> pngChunks(const std::vector<uint8_t> &file)
{
    std::vector<PngChunk> out;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = big32(&file[at]);
        if (length > file.size() - at - 12)
            break;
        out.push_back(
            {std::string(file.begin() + ptrdiff_t(at + 4), file.begin() + ptrdiff_t(at + 8)),
             {file.begin() + ptrdiff_t(at + 8), file.begin() + ptrdiff_t(at + 8 + length)}});
        at += 12 + length;
    }
    return out;
}

inline PngChunk ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
                     uint8_t interlace = 0)
{
    PngChunk c {"IHDR", {}};
    putBig32(c.data, width);
    putBig32(c.data, height);
    c.data.insert(c.data.end(), {depth, colour, 0, 0, interlace});
    return c;
}

// A zlib stream of stored blocks: the data as it is, wrapped.
inline std::vector<uint8_t> zlibStored(const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(data.size() - at, 65535);
        out.push_back(at + n == data.size() ? 1 : 0);
        out.insert(out.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        out.insert(out.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + n));
        at += n;
    } while (at < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(out, b << 16 | a);
    return out;
}

// An RGB file of 8 bits, not interlaced, of the given pixels (red, green,
// blue, row by row), unfiltered in stored blocks.
inline std::vector<uint8_t> rgbPng(uint32_t width, uint32_t height,
                                   const std::vector<uint8_t> &pixels)
{
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), pixels.begin() + ptrdiff_t(y * width * 3),
                   pixels.begin() + ptrdiff_t((y + 1) * width * 3));
    }
    return pngFile({ihdr(width, height, 8, 2), {"IDAT", zlibStored(raw)}, {"IEND", {}}});
}

// The message of "PNG エラー #%d" for a library code.
inline std::string pngError(int code)
{
    return "PNG エラー #" + std::to_string(code);
}

// Makes the PNG test files (make-png-cases.py) into a folder; false when
// the script failed.
inline bool makePngCases(const std::string &folder)
{
    // Debian's own Python, which has python3-png, whatever else "python3"
    // names on the machine.
    return run("/usr/bin/python3 " + std::string(MASUME_PICTURE_TESTS) + "/make-png-cases.py '"
               + folder + "'")
        == 0;
}

} // namespace masume::test
