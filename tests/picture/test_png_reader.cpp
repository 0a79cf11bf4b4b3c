// The PNG reader's contract beyond the pixels of good files (those:
// test_pngsuite): damaged files refused with the library's code, the memory
// guard before any picture-sized allocation, the source's own errors, rows
// decoded as the file is read, the rules of 16 bits and transparency.

#include "PngTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"
#include "picture/PngChunkFilter.h"
#include "picture/PngRows.h"

#include <spng.h>

#include <gtest/gtest.h>

#include <functional>

using namespace masume;
using namespace masume::test;

namespace {

// A small RGB file: 5 x 4 pixels, all different.
std::vector<uint8_t> smallPixels()
{
    std::vector<uint8_t> p;
    for (int i = 0; i < 5 * 4 * 3; ++i)
        p.push_back(uint8_t(i * 37 + 11));
    return p;
}

std::vector<uint8_t> smallPng()
{
    return rgbPng(5, 4, smallPixels());
}

// The chunks of the small file, for damaging one of them.
std::vector<PngChunk> smallChunks()
{
    return pngChunks(smallPng());
}

std::vector<uint8_t> withChunks(std::function<void(std::vector<PngChunk> &)> change)
{
    std::vector<PngChunk> c = smallChunks();
    change(c);
    return pngFile(c);
}

// The file with one byte changed (its CRC left as it was).
std::vector<uint8_t> withByte(size_t at, uint8_t value)
{
    std::vector<uint8_t> f = smallPng();
    f.at(at) = value;
    return f;
}

// The message of reading a whole file, "" when it reads.
std::string readError(const std::vector<uint8_t> &file)
{
    return errorOf([&] { decodePng(file); });
}

// A source that gives at most `piece` bytes a read, and raises the read
// error once `failAt` bytes have been given.
class TestSource final : public ByteSource
{
public:
    TestSource(std::vector<uint8_t> bytes, size_t piece, size_t failAt = SIZE_MAX)
        : m_bytes(std::move(bytes))
        , m_piece(piece)
        , m_failAt(failAt)
    {
    }
    size_t read(std::span<uint8_t> buffer) override
    {
        if (m_at >= m_failAt)
            raise(msg::ReadError);
        const size_t n = std::min({buffer.size(), m_piece, m_bytes.size() - m_at, m_failAt - m_at});
        std::copy_n(m_bytes.begin() + ptrdiff_t(m_at), n, buffer.begin());
        m_at += n;
        return n;
    }
    size_t given() const { return m_at; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_piece;
    size_t m_failAt;
    size_t m_at = 0;
};

// The limit of the memory guard for one test, the default again after it.
struct PixelLimit
{
    explicit PixelLimit(uint64_t pixels) { setPicturePixelLimit(pixels); }
    ~PixelLimit() { setPicturePixelLimit(0); }
};

} // namespace

TEST(PngReader, TheSignatureTellsAPngFile)
{
    const std::vector<uint8_t> png = smallPng();
    EXPECT_TRUE(looksLikePng(png));
    EXPECT_TRUE(looksLikePng(std::span(png).first(8)));
    EXPECT_FALSE(looksLikePng(std::span(png).first(7)));
    EXPECT_FALSE(looksLikePng({}));
    for (size_t i = 0; i < 8; ++i) {
        std::vector<uint8_t> other(png.begin(), png.begin() + 8);
        other[i] ^= 0x40;
        EXPECT_FALSE(looksLikePng(other)) << "byte " << i;
    }
    const std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F'};
    EXPECT_FALSE(looksLikePng(bmp));
    EXPECT_FALSE(looksLikePng(jpeg));
}

TEST(PngReader, TheSmallFileDecodes)
{
    const Surface s = decodePng(smallPng());
    ASSERT_EQ(s.width(), 5);
    ASSERT_EQ(s.height(), 4);
    const std::vector<uint8_t> p = smallPixels();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t *rgb = &p[size_t(y * 5 + x) * 3];
            EXPECT_EQ(s.pixel(x, y), Colour(rgb[0] | rgb[1] << 8 | rgb[2] << 16)) << x << "," << y;
        }
}

// The files of the usual PNG suite's damaged set, and more of the kind, each
// refused with the library's code for what is wrong.
TEST(PngReader, DamagedFilesAreRefusedWithTheLibrarysCode)
{
    std::vector<uint8_t> crlf = smallPng(); // a transfer that turned "\r\n" into "\n"
    crlf.erase(crlf.begin() + 4);
    std::vector<uint8_t> lfcr = smallPng(); // one that turned "\n" into "\r\n"
    lfcr.insert(lfcr.begin() + 6, '\r');
    const std::vector<uint8_t> file = smallPng();
    const size_t idat
        = size_t(std::search(file.begin(), file.end(), std::begin("IDAT"), std::end("IDAT") - 1)
                 - file.begin());
    const size_t iend = file.size() - 12;

    const struct
    {
        const char *what;
        std::vector<uint8_t> file;
        int code;
    } cases[] = {
        {"a wrong first signature byte", withByte(0, 0x88), SPNG_ESIGNATURE},
        {"a wrong second signature byte", withByte(1, 'p'), SPNG_ESIGNATURE},
        {"a wrong fifth signature byte", withByte(4, '\n'), SPNG_ESIGNATURE},
        {"a wrong last signature byte", withByte(7, '\r'), SPNG_ESIGNATURE},
        {"carriage returns lost", crlf, SPNG_ESIGNATURE},
        {"carriage returns added", lfcr, SPNG_ESIGNATURE},
        {"a wrong header CRC", withByte(29, file[29] ^ 1), SPNG_ECHUNK_CRC},
        {"a wrong image data CRC", withByte(iend - 1, file[iend - 1] ^ 1), SPNG_ECHUNK_CRC},
        {"a wrong end marker CRC", withByte(file.size() - 1, 0), SPNG_ECHUNK_CRC},
        {"colour type 1", withChunks([&](auto &c) { c[0].data[9] = 1; }), SPNG_ECOLOR_TYPE},
        {"colour type 9", withChunks([&](auto &c) { c[0].data[9] = 9; }), SPNG_ECOLOR_TYPE},
        {"bit depth 0", withChunks([&](auto &c) { c[0].data[8] = 0; }), SPNG_EBIT_DEPTH},
        {"bit depth 3", withChunks([&](auto &c) { c[0].data[8] = 3; }), SPNG_EBIT_DEPTH},
        {"bit depth 99", withChunks([&](auto &c) { c[0].data[8] = 99; }), SPNG_EBIT_DEPTH},
        {"RGB of 4 bits", withChunks([&](auto &c) { c[0].data[8] = 4; }), SPNG_EBIT_DEPTH},
        {"palette of 16 bits", pngFile({ihdr(1, 1, 16, 3), {"IEND", {}}}), SPNG_EBIT_DEPTH},
        {"width 0", pngFile({ihdr(0, 4, 8, 2), {"IEND", {}}}), SPNG_EWIDTH},
        {"height 0", pngFile({ihdr(5, 0, 8, 2), {"IEND", {}}}), SPNG_EHEIGHT},
        {"width 2^31", pngFile({ihdr(1u << 31, 1, 8, 2), {"IEND", {}}}), SPNG_EWIDTH},
        {"compression method 1", withChunks([&](auto &c) { c[0].data[10] = 1; }),
         SPNG_ECOMPRESSION_METHOD},
        {"filter method 1", withChunks([&](auto &c) { c[0].data[11] = 1; }), SPNG_EFILTER_METHOD},
        {"interlace method 2", withChunks([&](auto &c) { c[0].data[12] = 2; }),
         SPNG_EINTERLACE_METHOD},
        {"a header of 14 bytes", withChunks([&](auto &c) { c[0].data.resize(14); }),
         SPNG_EIHDR_SIZE},
        {"image data first", withChunks([&](auto &c) { c.erase(c.begin()); }), SPNG_EIHDR_SIZE},
        {"another chunk of 13 bytes first", withChunks([&](auto &c) { c[0].type = "IHDX"; }),
         SPNG_ENOIHDR},
        {"no image data", withChunks([&](auto &c) { c.erase(c.begin() + 1); }), SPNG_ECHUNK_POS},
        {"image data split by another chunk", withChunks([&](auto &c) {
             PngChunk second {"IDAT", {c[1].data.begin() + 10, c[1].data.end()}};
             c[1].data.resize(10);
             c.insert(c.begin() + 2, {{"PLTE", {1, 2, 3}}, second});
         }),
         SPNG_EIDAT_TOO_SHORT},
        {"a palette after the transparency", withChunks([&](auto &c) {
             c.insert(c.begin() + 1, {{"tRNS", {0, 1, 0, 2, 0, 3}}, {"PLTE", {1, 2, 3}}});
         }),
         SPNG_ECHUNK_POS},
        {"a header after the image data",
         withChunks([&](auto &c) { c.insert(c.begin() + 2, c[0]); }), SPNG_ECHUNK_POS},
        {"a second header", withChunks([&](auto &c) { c.insert(c.begin() + 1, c[0]); }),
         SPNG_ECHUNK_POS},
        {"a palette file without palette", withChunks([&](auto &c) { c[0].data[9] = 3; }),
         SPNG_ENOPLTE},
        {"an unknown critical chunk", withChunks([&](auto &c) {
             c.insert(c.begin() + 1, {"CRIT", {1}});
         }),
         SPNG_ECHUNK_UNKNOWN_CRITICAL},
        {"a filter type of 5", withChunks([&](auto &c) {
             std::vector<uint8_t> raw(4 * 16, 0);
             raw[16] = 5;
             c[1].data = zlibStored(raw);
         }),
         SPNG_EFILTER},
        {"too little image data",
         withChunks([&](auto &c) { c[1].data = zlibStored(std::vector<uint8_t>(40, 0)); }),
         SPNG_EIDAT_TOO_SHORT},
        {"image data that is no zlib stream",
         withChunks([&](auto &c) { c[1].data.assign(30, 0xEE); }), SPNG_EIDAT_STREAM},
        {"cut inside the header", std::vector<uint8_t>(file.begin(), file.begin() + 20), SPNG_EOF},
        {"cut inside the image data",
         std::vector<uint8_t>(file.begin(), file.begin() + ptrdiff_t(idat + 30)), SPNG_EOF},
        {"cut before the end marker",
         std::vector<uint8_t>(file.begin(), file.begin() + ptrdiff_t(iend)), SPNG_EOF},
        {"cut inside the end marker", std::vector<uint8_t>(file.begin(), file.end() - 2), SPNG_EOF},
        {"nothing but the signature", PngSignature, SPNG_EOF},
        {"empty", {}, SPNG_EOF},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readError(c.file), pngError(c.code)) << c.what;
}

// The header alone decides: a picture beyond the guard is refused before
// anything is allocated for it, whatever its data; one within the guard but
// claiming far more pixels than its data hold fails where the data end.
TEST(PngReader, TheHeaderIsCheckedAgainstTheMemoryGuard)
{
    const PixelLimit limit(1000);
    for (uint32_t interlace : {0u, 1u}) {
        EXPECT_EQ(readError(pngFile({ihdr(1000, 2, 8, 2, uint8_t(interlace)), {"IEND", {}}})),
                  msg::OutOfMemory);
        // Rows of 16 GiB, which the library refuses to compute with.
        EXPECT_EQ(readError(pngFile(
                      {ihdr(0x7FFFFFFF, 0x7FFFFFFF, 16, 6, uint8_t(interlace)), {"IEND", {}}})),
                  msg::OutOfMemory);
        EXPECT_EQ(
            readError(pngFile({ihdr(0x7FFFFFFF, 1, 16, 6, uint8_t(interlace)), {"IEND", {}}})),
            msg::OutOfMemory);
        // Within: the header is accepted, the rows fail.
        const std::vector<uint8_t> tiny
            = pngFile({ihdr(40, 25, 16, 6, uint8_t(interlace)),
                       {"IDAT", zlibStored(std::vector<uint8_t>(100, 0))},
                       {"IEND", {}}});
        MemorySource source(tiny);
        PngStream stream(source);
        EXPECT_EQ(stream.width(), 40);
        EXPECT_EQ(stream.heldBytes(), interlace ? 40u * 25 * 3 : 0u);
        std::vector<uint8_t> rows(40 * 3 * 25);
        EXPECT_EQ(errorOf([&] { stream.readRows(rows.data(), 120, 25); }),
                  pngError(SPNG_EIDAT_TOO_SHORT));
    }
}

// A claimed size of a billion pixels within the guard: the stream stops
// at the end of its data, after a few rows, holding no more than those.
TEST(PngReader, HugeDimensionsInATinyFileFailWhereTheDataEnd)
{
    const PixelLimit limit(uint64_t(1) << 40);
    const std::vector<uint8_t> tiny
        = pngFile({ihdr(100000, 10000, 8, 0),
                   {"IDAT", zlibStored(std::vector<uint8_t>(150000, 0))},
                   {"IEND", {}}});
    MemorySource source(tiny);
    PngStream stream(source);
    EXPECT_EQ(stream.heldBytes(), 0u);
    std::vector<uint8_t> row(300000);
    stream.readRows(row.data(), 0, 1);
    EXPECT_EQ(errorOf([&] { stream.readRows(row.data(), 0, 1); }), pngError(SPNG_EIDAT_TOO_SHORT));
}

// A row is decoded from the bytes it needs: after the first of a tall
// picture only a little of the file has been read.
TEST(PngReader, RowsAreDecodedAsTheFileIsRead)
{
    const uint32_t w = 300, h = 400;
    std::vector<uint8_t> pixels(size_t(w) * h * 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 2654435761u >> 13);
    const std::vector<uint8_t> file = rgbPng(w, h, pixels);
    TestSource source(file, 4096);
    PngStream stream(source);
    std::vector<uint8_t> row(w * 3);
    stream.readRows(row.data(), 0, 1);
    EXPECT_LT(source.given(), file.size() / 20);
    EXPECT_EQ(row[0], pixels[2]);
    EXPECT_EQ(row[1], pixels[1]);
    EXPECT_EQ(row[2], pixels[0]);
    for (uint32_t y = 1; y < h; ++y)
        stream.readRows(row.data(), 0, 1);
    // The last row reads the file up to its end marker.
    EXPECT_EQ(source.given(), file.size());
}

// Whatever pieces the source gives, the pixels are the same; a source that
// fails gives its own error, in the header or among the rows.
TEST(PngReader, TheSourceIsReadInAnyPiecesAndItsErrorsPassThrough)
{
    const std::vector<uint8_t> file = smallPng();
    const Surface whole = decodePng(file);
    for (size_t piece : {size_t(1), size_t(3), size_t(64)}) {
        TestSource source(file, piece);
        PngStream stream(source);
        Surface s(5, 4, PixelFormat::Rgb24);
        stream.readRows(s.scanLine(0), s.stride(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(s.pixel(x, y), whole.pixel(x, y)) << piece;
    }
    for (size_t failAt = 0; failAt < file.size(); failAt += 7) {
        TestSource source(file, 5, failAt);
        EXPECT_EQ(errorOf([&] {
                      PngStream stream(source);
                      std::vector<uint8_t> rows(15 * 4);
                      stream.readRows(rows.data(), 15, 4);
                  }),
                  msg::ReadError)
            << failAt;
    }
}

// Only critical chunks and tRNS reach the library, in their order and as
// they are; so do a chunk of a length the format does not allow, the end of
// a cut file and anything after the end marker.
TEST(PngChunkFilter, OnlyCriticalChunksAndTransparencyPass)
{
    const PngChunk header = ihdr(2, 1, 8, 3);
    const PngChunk palette {"PLTE", {1, 2, 3, 4, 5, 6}};
    const PngChunk alpha {"tRNS", {7}};
    const PngChunk data {"IDAT", zlibStored({0, 0, 1})};
    const PngChunk critical {"CRIT", {8, 9}};
    const PngChunk text {"tEXt", {'K', 0, 'v'}};
    const PngChunk end {"IEND", {}};
    const std::vector<uint8_t> after = {'a', 'f', 't', 'e', 'r'};
    auto withAfter = [&](std::vector<uint8_t> file) {
        file.insert(file.end(), after.begin(), after.end());
        return file;
    };
    const std::vector<uint8_t> file = withAfter(pngFile({header,
                                                         {"gAMA", {0, 0, 1, 2}},
                                                         palette,
                                                         text,
                                                         alpha,
                                                         {"zTXt", {'K', 0, 0, 1}},
                                                         critical,
                                                         data,
                                                         {"prVt", {}},
                                                         data,
                                                         text,
                                                         end}));
    const std::vector<uint8_t> passed
        = withAfter(pngFile({header, palette, alpha, critical, data, data, end}));
    // A length beyond 2^31 - 1 and what follows it pass as they are.
    std::vector<uint8_t> tooLong = pngFile({header});
    const std::vector<uint8_t> rest = {0x80, 0, 0, 0, 't', 'E', 'X', 't', 1, 2, 3};
    tooLong.insert(tooLong.end(), rest.begin(), rest.end());
    // A file cut inside a chunk left out ends before it.
    std::vector<uint8_t> cut = pngFile({header, text});
    cut.resize(cut.size() - 2);

    const struct
    {
        const char *what;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {"chunks", file, passed},
        {"a length beyond the format's", tooLong, tooLong},
        {"cut inside a text", cut, pngFile({header})},
        {"cut inside a kept chunk", std::vector<uint8_t>(passed.begin(), passed.begin() + 40),
         std::vector<uint8_t>(passed.begin(), passed.begin() + 40)},
    };
    for (const auto &c : cases)
        for (size_t piece : {size_t(1), size_t(5), size_t(4096)}) {
            MemorySource source(c.in);
            PngChunkFilter filter(source);
            std::vector<uint8_t> got;
            std::vector<uint8_t> buffer(piece);
            for (size_t n; (n = filter.read(buffer)) > 0;) {
                got.insert(got.end(), buffer.begin(), buffer.begin() + ptrdiff_t(n));
                if (n < piece)
                    break;
            }
            EXPECT_EQ(got, c.out) << c.what << ", pieces of " << piece;
        }
}

// A damaged ancillary chunk, one of any size, changes nothing: the library
// never sees them. A tRNS with a wrong CRC is skipped (by the library, as
// libpng skips it: test_pngsuite). A file that ends inside a chunk left out
// is cut all the same.
TEST(PngReader, AncillaryChunksChangeNothing)
{
    const Surface plain = decodePng(smallPng());
    auto same = [&](const std::vector<uint8_t> &file) {
        const Surface s = decodePng(file);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                if (s.pixel(x, y) != plain.pixel(x, y))
                    return false;
        return true;
    };
    std::vector<uint8_t> badCrc = withChunks([](auto &c) {
        c.insert(c.begin() + 1, {"tEXt", {'K', 'e', 'y', 0, 'v'}});
    });
    badCrc[8 + 25 + 12] ^= 1; // inside the text
    EXPECT_TRUE(same(badCrc));
    EXPECT_TRUE(same(withChunks([](auto &c) { c.insert(c.begin() + 1, {"gAMA", {1}}); })));
    EXPECT_TRUE(same(withChunks([](auto &c) {
        c.insert(c.begin() + 1, {"zTXt", {'K', 0, 0, 0x78, 0x01, 0xFF}});
    })));
    // A text of 4 MB, stored as it is, before the pixels and after them.
    std::vector<uint8_t> text = {'K', 0, 0};
    const std::vector<uint8_t> stored = zlibStored(std::vector<uint8_t>(4 << 20, 'z'));
    text.insert(text.end(), stored.begin(), stored.end());
    EXPECT_TRUE(same(withChunks([&](auto &c) { c.insert(c.begin() + 1, {"zTXt", text}); })));
    EXPECT_TRUE(same(withChunks([&](auto &c) { c.insert(c.begin() + 2, {"iTXt", text}); })));

    std::vector<uint8_t> cut = withChunks([&](auto &c) {
        c.insert(c.begin() + 2, {"zTXt", text});
    });
    cut.resize(cut.size() - 100);
    EXPECT_EQ(readError(cut), pngError(SPNG_EOF));
}

// The rules, value by value: 16 bits to 8 by rounding, alpha over white.
TEST(PngReader, SixteenBitsRoundAndTransparencyIsOverWhite)
{
    const struct
    {
        uint16_t sixteen;
        uint8_t eight;
    } samples[] = {{0, 0},       {128, 0},     {129, 1},     {257, 1},     {385, 1},    {386, 2},
                   {32767, 127}, {32768, 128}, {65406, 254}, {65407, 255}, {65535, 255}};
    for (const auto &s : samples)
        EXPECT_EQ(eightBitSample(s.sixteen), s.eight) << s.sixteen;
    const struct
    {
        uint8_t c, a, out;
    } over[] = {{0, 0, 255},   {0, 255, 0},    {200, 255, 200}, {0, 128, 127},   {0, 127, 128},
                {100, 1, 254}, {255, 77, 255}, {10, 254, 11},   {128, 128, 191}, {64, 192, 111}};
    for (const auto &o : over)
        EXPECT_EQ(overWhite(o.c, o.a), o.out) << int(o.c) << " " << int(o.a);

    // Through the reader: a 16-bit RGBA file of four pixels.
    std::vector<uint8_t> raw = {0};
    const uint16_t px[4][4] = {{65535, 0, 32768, 65535},
                               {0, 0, 0, 0},
                               {0, 65535, 0, 32896}, // alpha 128
                               {385, 386, 65408, 65406}};
    for (const auto &p : px)
        for (uint16_t v : p)
            raw.insert(raw.end(), {uint8_t(v >> 8), uint8_t(v)});
    const Surface s
        = decodePng(pngFile({ihdr(4, 1, 16, 6), {"IDAT", zlibStored(raw)}, {"IEND", {}}}));
    EXPECT_EQ(s.pixel(0, 0), Colour(0xFF | 0x00 << 8 | 0x80 << 16));
    EXPECT_EQ(s.pixel(1, 0), Colour(0xFFFFFF));
    EXPECT_EQ(s.pixel(2, 0), Colour(overWhite(0, 128) | 255 << 8 | overWhite(0, 128) << 16));
    EXPECT_EQ(s.pixel(3, 0),
              Colour(overWhite(1, 254) | overWhite(2, 254) << 8 | overWhite(255, 254) << 16));
}
