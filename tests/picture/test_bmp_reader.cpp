#include "PictureTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace masume;
using namespace masume::test;

namespace {

void put16(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// The parts of a BMP file; sizes and offsets are derived unless given.
struct Bmp
{
    uint32_t headerSize = 40;
    int32_t width = 3;
    int32_t height = 2;
    uint32_t planes = 1;
    uint32_t bits = 8;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t density = 0;
    uint32_t colours = 0;
    std::vector<uint32_t> masks; // after a 40-byte header, else inside it
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::vector<uint8_t> pixels;
    int64_t fileSize = -1;
    int64_t offset = -1;

    std::vector<uint8_t> bytes() const
    {
        const bool core = headerSize == 12;
        const size_t entry = core ? 3 : 4;
        const size_t maskBytes = headerSize == 40 ? masks.size() * 4 : 0;
        const size_t paletteStart = 14 + headerSize + maskBytes;
        const size_t pixelStart = paletteStart + palette.size() * entry;
        std::vector<uint8_t> b(pixelStart);
        b[0] = 'B';
        b[1] = 'M';
        put32(b, 2, fileSize >= 0 ? uint32_t(fileSize) : uint32_t(pixelStart + pixels.size()));
        put32(b, 10, offset >= 0 ? uint32_t(offset) : uint32_t(pixelStart));
        put32(b, 14, headerSize);
        if (core) {
            put16(b, 18, uint32_t(width));
            put16(b, 20, uint32_t(height));
            put16(b, 22, planes);
            put16(b, 24, bits);
        } else {
            put32(b, 18, uint32_t(width));
            put32(b, 22, uint32_t(height));
            put16(b, 26, planes);
            put16(b, 28, bits);
            if (headerSize >= 40) {
                put32(b, 30, compression);
                put32(b, 34, imageSize);
                put32(b, 38, density);
                put32(b, 42, density);
                put32(b, 46, colours);
            }
        }
        const size_t maskAt = headerSize == 40 ? 54 : 54;
        for (size_t i = 0; i < masks.size() && (headerSize == 40 || 40 + 4 * i < headerSize); ++i)
            put32(b, maskAt + 4 * i, masks[i]);
        for (size_t i = 0; i < palette.size(); ++i) {
            b[paletteStart + i * entry] = uint8_t(palette[i]);
            b[paletteStart + i * entry + 1] = uint8_t(palette[i] >> 8);
            b[paletteStart + i * entry + 2] = uint8_t(palette[i] >> 16);
        }
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

Surface decode(const std::vector<uint8_t> &file)
{
    return makeSurface(readPictureBytes(PictureKind::Bitmap, file));
}

std::string decodeError(const std::vector<uint8_t> &file)
{
    return errorOf([&] { decode(file); });
}

// Rows of expected colours, top row first.
void expectPixels(const Surface &s, const std::vector<std::vector<Colour>> &rows)
{
    ASSERT_EQ(s.height(), int(rows.size()));
    ASSERT_EQ(s.width(), int(rows[0].size()));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            EXPECT_EQ(s.pixel(x, y), rows[size_t(y)][size_t(x)]) << "at " << x << "," << y;
}

constexpr Colour P0 = rgb(0x10, 0x20, 0x30), P1 = rgb(0xFF, 0, 0), P2 = rgb(0, 0xFF, 0),
                 P3 = rgb(0, 0, 0xFF);
// The same colours as colour-table entries (0x00RRGGBB).
constexpr uint32_t entry(Colour c)
{
    return uint32_t(redOf(c)) << 16 | uint32_t(greenOf(c)) << 8 | blueOf(c);
}
const std::vector<uint32_t> Palette4 = {entry(P0), entry(P1), entry(P2), entry(P3)};

// A 3 x 2 picture with 8 bits per pixel: stored rows bottom first, padded.
Bmp eightBit()
{
    Bmp b;
    b.palette = Palette4;
    b.pixels = {1, 2, 3, 0, /* top: */ 3, 0, 1, 0};
    return b;
}

} // namespace

TEST(BmpReader, EmptyFileIsAnEmptyPicture)
{
    const Picture p = readPictureBytes(PictureKind::Bitmap, {});
    EXPECT_EQ(p.kind(), PictureKind::Bitmap);
    EXPECT_EQ(p.width(), 0);
    const Surface s = makeSurface(p);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.pixelFormat(), PixelFormat::Rgb24);
}

TEST(BmpReader, PaletteRowsBottomUpAndTopDown)
{
    Bmp b = eightBit();
    const Picture p = readPictureBytes(PictureKind::Bitmap, b.bytes());
    EXPECT_EQ(p.width(), 3);
    EXPECT_EQ(p.height(), 2);
    expectPixels(makeSurface(p), {{P3, P0, P1}, {P1, P2, P3}});
    b.height = -2;
    expectPixels(decode(b.bytes()), {{P1, P2, P3}, {P3, P0, P1}});
    // The core header of OS/2 1.x: 16-bit sizes, 3-byte colour entries.
    b = eightBit();
    b.headerSize = 12;
    expectPixels(decode(b.bytes()), {{P3, P0, P1}, {P1, P2, P3}});
}

TEST(BmpReader, SmallPixelsAndPaddingBits)
{
    // 9 pixels of 1 bit: the seven bits after them are padding, set here.
    Bmp b;
    b.width = 9;
    b.height = 1;
    b.bits = 1;
    b.palette = {entry(P0), entry(P1)};
    b.pixels = {0b10110000, 0b1'1111111, 0, 0};
    expectPixels(decode(b.bytes()), {{P1, P0, P1, P1, P0, P0, P0, P0, P1}});
    // 2 bits per pixel, a palette of four.
    b.bits = 2;
    b.width = 5;
    b.palette = Palette4;
    b.pixels = {0b00011011, 0b10'111111, 0, 0};
    expectPixels(decode(b.bytes()), {{P0, P1, P2, P3, P2}});
    // 4 bits, odd width.
    b.bits = 4;
    b.width = 3;
    b.pixels = {0x32, 0x1F, 0, 0};
    expectPixels(decode(b.bytes()), {{P3, P2, P1}});
}

TEST(BmpReader, RunLengthCodingWithDeltasAndEarlyEnd)
{
    // 6 x 4, rows from the bottom. Skipped pixels keep colour 0.
    Bmp b;
    b.width = 6;
    b.height = 4;
    b.compression = 1;
    b.palette = Palette4;
    b.pixels = {
        3, 1, // row 0: three of colour 1
        0, 2, 2, 1, // delta to (5, 1)
        1, 2, // one of colour 2
        0, 0, // end of line: row 2
        0, 3, 1, 2, 3, // three literal pixels, padded to an even count
        0, 0, 1, // end of bitmap: row 3 stays colour 0
    };
    expectPixels(decode(b.bytes()),
                 {
                     {P0, P0, P0, P0, P0, P0},
                     {P1, P2, P3, P0, P0, P0},
                     {P0, P0, P0, P0, P0, P2},
                     {P1, P1, P1, P0, P0, P0},
                 });

    // 4-bit runs alternate their two nibbles; literals hold two per byte.
    b.width = 5;
    b.height = 1;
    b.compression = 2;
    b.bits = 4;
    b.pixels = {0, 3, 0x12, 0x30, 2, 0x31, 0, 1};
    expectPixels(decode(b.bytes()), {{P1, P2, P3, P3, P1}});
    // Data covering the last row may end without a mark.
    b.pixels = {5, 0x23};
    expectPixels(decode(b.bytes()), {{P2, P3, P2, P3, P2}});
}

TEST(BmpReader, BitFieldsScaleEveryChannelToFullRange)
{
    // Red 2 bits, green 10 bits, blue 4 bits.
    Bmp b;
    b.bits = 16;
    b.compression = 3;
    b.width = 3;
    b.height = 1;
    b.masks = {0x0003, 0x0FFC, 0xF000};
    const auto px = [](uint32_t r, uint32_t g, uint32_t bl) { return r | g << 2 | bl << 12; };
    const uint32_t values[] = {px(3, 1023, 15), px(1, 512, 1), px(0, 0, 0)};
    for (uint32_t v : values) {
        b.pixels.push_back(uint8_t(v));
        b.pixels.push_back(uint8_t(v >> 8));
    }
    b.pixels.resize(8);
    // round(v * 255 / max): 1 of 3 is 85, 512 of 1023 is 128, 1 of 15 is 17
    expectPixels(decode(b.bytes()), {{rgb(255, 255, 255), rgb(85, 128, 17), rgb(0, 0, 0)}});

    // The same masks inside a version 5 header, with an alpha mask.
    Bmp v5 = b;
    v5.headerSize = 124;
    v5.masks.push_back(0);
    expectPixels(decode(v5.bytes()), {{rgb(255, 255, 255), rgb(85, 128, 17), rgb(0, 0, 0)}});

    // 32 bits without fields: blue, green, red and a dropped fourth byte.
    Bmp plain;
    plain.bits = 32;
    plain.width = 2;
    plain.height = 1;
    plain.pixels = {0x30, 0x20, 0x10, 0xFF, 1, 2, 3, 0x80};
    expectPixels(decode(plain.bytes()), {{P0, rgb(3, 2, 1)}});
}

TEST(BmpReader, LastRowMayLackItsPadding)
{
    Bmp b;
    b.bits = 24;
    b.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    expectPixels(
        decode(b.bytes()),
        {{rgb(7, 8, 9), rgb(4, 5, 6), rgb(1, 2, 3)}, {rgb(3, 2, 1), rgb(6, 5, 4), rgb(9, 8, 7)}});
    b.pixels.pop_back();
    EXPECT_EQ(decodeError(b.bytes()), msg::ReadError);
}

TEST(BmpReader, DamagedFilesGiveTheirMessages)
{
    const std::string invalid = msg::BitmapInvalid, shortFile = msg::ReadError;
    struct Case
    {
        const char *what;
        std::vector<uint8_t> file;
        std::string message;
    };
    std::vector<Case> cases;
    const auto add = [&](const char *what, const Bmp &b, const std::string &message) {
        cases.push_back({what, b.bytes(), message});
    };
    const auto mutate = [](auto f) {
        Bmp b = eightBit();
        f(b);
        return b;
    };
    const std::vector<uint8_t> good = eightBit().bytes();

    cases.push_back({"one byte", {'B'}, shortFile});
    cases.push_back(
        {"not BM", {'B', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0}, invalid});
    cases.push_back({"ends in the header", {good.begin(), good.begin() + 30}, shortFile});
    cases.push_back({"ends in the palette", {good.begin(), good.begin() + 60}, shortFile});
    cases.push_back({"ends in the pixels", {good.begin(), good.end() - 2}, shortFile});
    add("colour count beyond the end", mutate([](Bmp &b) { b.colours = 100000; }), shortFile);
    add("two planes", mutate([](Bmp &b) { b.planes = 2; }), invalid);
    add("header of 66 bytes", mutate([](Bmp &b) { b.headerSize = 66; }), invalid);
    add("width 0", mutate([](Bmp &b) { b.width = 0; }), invalid);
    add("negative width", mutate([](Bmp &b) { b.width = -3; }), invalid);
    add("height 0", mutate([](Bmp &b) { b.height = 0; }), invalid);
    add("3 bits per pixel", mutate([](Bmp &b) { b.bits = 3; }), invalid);
    add("JPEG content", mutate([](Bmp &b) { b.compression = 4; }), invalid);
    add("RLE4 of 8-bit pixels", mutate([](Bmp &b) { b.compression = 2; }), invalid);
    add("colour beyond the table", mutate([](Bmp &b) { b.palette.resize(3); }), invalid);
    add("no colour table", mutate([](Bmp &b) { b.palette.clear(); }), invalid);
    add("pixels inside the headers", mutate([](Bmp &b) { b.offset = 20; }), invalid);

    Bmp fields;
    fields.bits = 16;
    fields.compression = 3;
    fields.width = 2;
    fields.height = 1;
    fields.pixels = {0, 0, 0, 0};
    for (const auto &masks : std::vector<std::vector<uint32_t>> {
             {0xF800, 0x0FE0, 0x001F}, // overlapping
             {0xF000, 0x05E0, 0x001F}, // not contiguous
             {0xFF00, 0x00FF, 0}, // no blue
             {0x1F0000, 0x07E0, 0x1F}, // beyond 16 bits
         }) {
        Bmp b = fields;
        b.masks = masks;
        add("bad masks", b, invalid);
    }
    fields.bits = 24;
    fields.masks = {0xFF0000, 0xFF00, 0xFF};
    add("bit fields of 24 bits", fields, invalid);

    Bmp rle;
    rle.width = 4;
    rle.height = 2;
    rle.compression = 1;
    rle.palette = Palette4;
    const auto rleCase = [&](const char *what, std::vector<uint8_t> data, const std::string &m) {
        Bmp b = rle;
        b.pixels = std::move(data);
        add(what, b, m);
    };
    rleCase("run beyond the row", {5, 1, 0, 1}, invalid);
    rleCase("literal beyond the row", {0, 5, 1, 1, 1, 1, 1, 0}, invalid);
    rleCase("delta beyond the right", {2, 1, 0, 2, 3, 0, 0, 1}, invalid);
    rleCase("delta beyond the top", {0, 2, 0, 3, 0, 1}, invalid);
    rleCase("pixels after the last row", {4, 1, 0, 0, 4, 1, 0, 0, 1, 1}, invalid);
    rleCase("colour beyond the table", {4, 7, 0, 1}, invalid);
    rleCase("ends before the last row", {4, 1, 0, 0}, shortFile);
    rleCase("ends inside a literal", {0, 4, 1, 1}, shortFile);
    Bmp rleSizeBeyond = rle;
    rleSizeBeyond.pixels = {4, 1, 0, 0, 4, 2, 0, 1};
    rleSizeBeyond.imageSize = 9; // where the run-length data end
    add("run-length image size beyond the end", rleSizeBeyond, shortFile);
    Bmp topDown = rle;
    topDown.height = -2;
    topDown.pixels = {0, 1};
    add("run-length coding top down", topDown, invalid);

    for (const Case &c : cases)
        EXPECT_EQ(decodeError(c.file), c.message) << c.what;
}

// Header fields that neither find nor decode the pixels never refuse a file
// whose pixels are all there: the recorded file size (too large, too small),
// the image size of uncompressed pixels, the densities, the important
// colours. Pixel rows that really are missing still do.
TEST(BmpReader, FieldsThatNeitherFindNorDecodeThePixelsNeverRefuse)
{
    struct Case
    {
        const char *what;
        size_t at; // the field's offset in the file
        uint32_t value;
    };
    const std::vector<Case> cases = {
        {"file size beyond the end", 2, 1000},
        {"file size of 4 GB", 2, 0xFFFFFFFF},
        {"file size 0", 2, 0},
        {"image size beyond the end", 34, 1000},
        {"image size of 4 GB", 34, 0xFFFFFFFF},
        {"horizontal density", 38, 30'000'000},
        {"vertical density", 42, 0xFFFFFFFF},
        {"important colours", 50, 0xFFFFFFFF},
    };
    const std::vector<uint8_t> good = eightBit().bytes();
    const Surface expected = decode(good);
    for (const Case &c : cases) {
        std::vector<uint8_t> file = good;
        put32(file, c.at, c.value);
        Surface s;
        EXPECT_EQ(errorOf([&] { s = decode(file); }), "") << c.what;
        EXPECT_TRUE(s.width() == 3 && s.height() == 2 && s.pixel(0, 0) == expected.pixel(0, 0)
                    && s.pixel(2, 1) == expected.pixel(2, 1))
            << c.what;
    }

    // An OS/2 file of 24 bits, 32 x 32, that records 3108 bytes and has
    // 3098 (as a web browser's test suite has one).
    Bmp os2;
    os2.headerSize = 12;
    os2.width = 32;
    os2.height = 32;
    os2.bits = 24;
    for (int i = 0; i < 32 * 32; ++i)
        os2.pixels.insert(os2.pixels.end(), {uint8_t(i), uint8_t(i >> 2), uint8_t(3 * i)});
    os2.fileSize = 3108;
    const std::vector<uint8_t> file = os2.bytes();
    ASSERT_EQ(file.size(), 3098u);
    const Surface s = decode(file);
    ASSERT_EQ(s.width(), 32);
    // Stored bottom up: the first pixel stored is the bottom row's first.
    EXPECT_EQ(s.pixel(0, 31), rgb(0, 0, 0));
    EXPECT_EQ(s.pixel(31, 0), rgb(uint8_t(3 * 1023), uint8_t(1023 >> 2), uint8_t(1023)));
    // Ten bytes fewer: the top row lacks pixels.
    EXPECT_EQ(decodeError({file.begin(), file.end() - 10}), msg::ReadError);
}

TEST(BmpReader, PicturesBeyondThePixelLimitAreRefusedBeforeAllocating)
{
    // A run-length file of a few bytes may claim any size.
    Bmp b;
    b.compression = 1;
    b.palette = Palette4;
    b.pixels = {0, 1};
    b.width = 2'000'000'000;
    b.height = 2'000'000'000;
    EXPECT_EQ(decodeError(b.bytes()), msg::OutOfMemory);

    setPicturePixelLimit(50);
    b.width = 10;
    b.height = 5;
    EXPECT_EQ(decode(b.bytes()).pixel(9, 4), P0);
    b.height = 6;
    EXPECT_EQ(decodeError(b.bytes()), msg::OutOfMemory);
    setPicturePixelLimit(0);
    EXPECT_EQ(decode(b.bytes()).height(), 6);
}

// The default limit follows what the process may still take: with
// RLIMIT_AS 256 MiB above what it holds, a 64-byte file claiming
// 20000 x 20000 pixels (6.4 GB of surfaces) is refused at once, a
// picture of a million pixels is not. In a child, which the limit binds
// alone.
TEST(BmpReader, ClaimsBeyondWhatTheProcessMayTakeAreRefused)
{
    Bmp b;
    b.compression = 1;
    b.palette = Palette4;
    b.pixels = {0, 1};
    b.width = 20000;
    b.height = 20000;
    const std::vector<uint8_t> huge = b.bytes();
    b.width = 1000;
    b.height = 1000;
    const std::vector<uint8_t> fitting = b.bytes();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        uint64_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t cap = rlim_t(pages * uint64_t(::sysconf(_SC_PAGESIZE)) + (256u << 20));
        const rlimit limit {cap, cap};
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(2);
        // Whatever happens, the child ends here, not in the test runner.
        try {
            const bool refused = decodeError(huge) == msg::OutOfMemory;
            const bool decoded = decodeError(fitting).empty();
            ::_exit(refused && decoded ? 0 : 1);
        } catch (...) {
            ::_exit(3);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
