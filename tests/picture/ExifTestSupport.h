#pragma once

// Helpers of the tests of photos with an orientation: Exif blocks written
// byte by byte (for the damaged ones), APP1 segments put into and taken out
// of JPEG files, and photos tagged by exiftool and turned losslessly by
// jpegtran (libjpeg-turbo-progs), so that the files are made by tools
// other than the reader under test.

#include "PictureTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace masume::test {

// One entry of an image file directory; `value` holds the 4 bytes of the
// value field as a number (a SHORT in its first two bytes).
struct ExifEntry
{
    uint16_t tag, type;
    uint32_t count, value;
};

// An Exif block as an APP1 segment's payload: "Exif\0\0", the TIFF header
// in the given byte order with the first directory at `directoryOffset`,
// and there the entries, followed by the offset of the next directory.
// Bytes between the header and the directory are zero.
inline std::vector<uint8_t> exifBlock(bool bigEndian, const std::vector<ExifEntry> &entries,
                                      uint32_t directoryOffset = 8, uint32_t nextDirectory = 0)
{
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
    const auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            b.push_back(uint8_t(v >> shift));
        }
    };
    b.push_back(bigEndian ? 'M' : 'I');
    b.push_back(bigEndian ? 'M' : 'I');
    put(42, 2);
    put(directoryOffset, 4);
    while (b.size() < 6 + size_t(directoryOffset))
        b.push_back(0);
    put(uint32_t(entries.size()), 2);
    for (const ExifEntry &e : entries) {
        put(e.tag, 2);
        put(e.type, 2);
        put(e.count, 4);
        if (e.type == 3 && e.count == 1) {
            put(e.value, 2);
            put(0, 2);
        } else {
            put(e.value, 4);
        }
    }
    put(nextDirectory, 4);
    return b;
}

inline ExifEntry orientationEntry(uint32_t value)
{
    return {0x0112, 3, 1, value};
}

// The payloads of a JPEG file's APP1 segments before its first scan.
inline std::vector<std::vector<uint8_t>> app1Payloads(const std::vector<uint8_t> &jpeg)
{
    std::vector<std::vector<uint8_t>> out;
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (length < 2 || at + 2 + length > jpeg.size())
            break;
        if (jpeg[at + 1] == 0xE1)
            out.emplace_back(jpeg.begin() + ptrdiff_t(at + 4),
                             jpeg.begin() + ptrdiff_t(at + 2 + length));
        at += 2 + length;
    }
    return out;
}

// The JPEG file with an APP1 segment of that payload right after its SOI.
inline std::vector<uint8_t> withApp1(std::vector<uint8_t> jpeg, const std::vector<uint8_t> &payload)
{
    const size_t length = payload.size() + 2;
    std::vector<uint8_t> segment = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

// Writes the orientation tag into a JPEG file's Exif block (made when it
// has none) with exiftool, in the byte order "II" or "MM".
inline bool tagOrientation(const std::string &file, int orientation,
                           const std::string &byteOrder = "MM")
{
    return run("exiftool -q -q -overwrite_original -n -ExifByteOrder=" + byteOrder
               + " -IFD0:Orientation=" + std::to_string(orientation) + " '" + file + "'")
        == 0;
}

// The jpegtran transformation that stores an upright picture so that
// orientation n turns it upright again: the inverse of n's turn.
inline std::string storingTurn(int orientation)
{
    switch (orientation) {
    case 2:
        return "-flip horizontal";
    case 3:
        return "-rotate 180";
    case 4:
        return "-flip vertical";
    case 5:
        return "-transpose";
    case 6:
        return "-rotate 270";
    case 7:
        return "-transverse";
    case 8:
        return "-rotate 90";
    default:
        return "";
    }
}

// A picture of flat 8 x 8 blocks, each of its own colour, `columns` x
// `rows` blocks, written by cjpeg at quality 100 without subsampling: each
// block decodes to exactly one colour whatever the inverse DCT, and
// jpegtran turns such a file without loss, so that a turned copy decodes
// to exactly the turned pixels.
inline void writeBlockPicture(const TempDir &dir, const std::string &name, int columns, int rows)
{
    const int w = columns * 8, h = rows * 8;
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int block = (y / 8) * columns + x / 8;
            ppm += char(17 + block * 37 % 220);
            ppm += char(200 - block * 23 % 180);
            ppm += char(40 + block * 59 % 200);
        }
    writeBytes(dir.file(name + ".ppm"), {ppm.begin(), ppm.end()});
    if (run("cjpeg -quality 100 -sample 1x1 -outfile '" + dir.file(name) + "' '"
            + dir.file(name + ".ppm") + "'")
        != 0)
        ADD_FAILURE() << "cjpeg failed";
}

// A stored copy of an upright JPEG file that orientation n turns upright,
// tagged with n (no tag for 0: the turned picture without Exif block).
inline std::string writeStoredCopy(const TempDir &dir, const std::string &upright, int orientation,
                                   int tag, const std::string &byteOrder = "MM")
{
    const std::string name = dir.file("stored-" + std::to_string(orientation) + "-"
                                      + std::to_string(tag) + byteOrder + ".jpg");
    if (run("jpegtran -perfect -copy none " + storingTurn(orientation) + " -outfile '" + name
            + "' '" + upright + "'")
        != 0)
        ADD_FAILURE() << "jpegtran failed for " << orientation;
    if (tag != 0 && !tagOrientation(name, tag, byteOrder))
        ADD_FAILURE() << "exiftool failed for " << orientation;
    return name;
}

} // namespace masume::test
