// The check that a JPEG file's first scan can hold the blocks it claims:
// marker streams written byte by byte, real files and every prefix of
// them.

#include "JpegTestSupport.h"
#include "PictureTestSupport.h"
#include "picture/JpegScanCheck.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

using namespace masume;
using namespace masume::test;

namespace {

using Verdict = ScanDataVerdict;

const char *nameOf(Verdict v)
{
    return v == Verdict::Fits ? "Fits" : v == Verdict::TooShort ? "TooShort" : "NeedMore";
}

Verdict check(const std::vector<uint8_t> &bytes, bool wholeFile = true)
{
    return checkFirstScanData(std::span<const uint8_t>(bytes.data(), bytes.size()), wholeFile);
}

// A marker stream written segment by segment.
struct Stream
{
    std::vector<uint8_t> b = {0xFF, 0xD8};

    Stream &segment(uint8_t marker, const std::vector<uint8_t> &payload)
    {
        const size_t length = payload.size() + 2;
        b.insert(b.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
        b.insert(b.end(), payload.begin(), payload.end());
        return *this;
    }
    // Components as {id, horizontal, vertical sampling}.
    Stream &frame(uint8_t marker, int w, int h, const std::vector<std::array<int, 3>> &components)
    {
        std::vector<uint8_t> p
            = {8,          uint8_t(h >> 8),           uint8_t(h), uint8_t(w >> 8),
               uint8_t(w), uint8_t(components.size())};
        for (const auto &c : components)
            p.insert(p.end(), {uint8_t(c[0]), uint8_t(c[1] << 4 | c[2]), 0});
        return segment(marker, p);
    }
    Stream &scan(const std::vector<int> &ids, int ss = 0, int se = 63, int ah = 0, int al = 0)
    {
        std::vector<uint8_t> p = {uint8_t(ids.size())};
        for (int id : ids)
            p.insert(p.end(), {uint8_t(id), 0});
        p.insert(p.end(), {uint8_t(ss), uint8_t(se), uint8_t(ah << 4 | al)});
        return segment(0xDA, p);
    }
    // `n` bytes of entropy-coded data without 0xFF.
    Stream &data(size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            b.push_back(uint8_t(0x11 + i % 200));
        return *this;
    }
    Stream &bytes(const std::vector<uint8_t> &raw)
    {
        b.insert(b.end(), raw.begin(), raw.end());
        return *this;
    }
    Stream &end() { return bytes({0xFF, 0xD9}); }
};

const std::vector<std::array<int, 3>> YCbCr420 = {{1, 2, 2}, {2, 1, 1}, {3, 1, 1}};
const std::vector<std::array<int, 3>> Grey = {{1, 1, 1}};

// A stream up to its first scan header: a table segment or two, the frame.
Stream headers(uint8_t sof, int w, int h, const std::vector<std::array<int, 3>> &components)
{
    Stream s;
    s.segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    s.segment(0xDB, std::vector<uint8_t>(65, 1));
    s.frame(sof, w, h, components);
    s.segment(0xC4, std::vector<uint8_t>(29, 1));
    return s;
}

} // namespace

// Blocks are counted as libjpeg counts them: an interleaved scan covers its
// MCUs (whole ones, past the picture's edges) times the blocks of one MCU;
// a scan of one component covers that component's own blocks. At one bit a
// block, the data needs the blocks / 8 bytes, rounded up.
TEST(JpegScanCheck, TheFirstScanNeedsABitForEachBlock)
{
    struct Case
    {
        const char *what;
        Stream stream; // up to the scan header
        size_t needed; // bytes of data
    };
    const std::vector<Case> cases = {
        // 3 x 3 MCUs of 16 x 16, 6 blocks each: 54 blocks.
        {"baseline 4:2:0, interleaved", headers(0xC0, 33, 33, YCbCr420).scan({1, 2, 3}), 7},
        {"extended sequential", headers(0xC1, 33, 33, YCbCr420).scan({1, 2, 3}), 7},
        {"progressive DC scan, interleaved",
         headers(0xC2, 33, 33, YCbCr420).scan({1, 2, 3}, 0, 0, 0, 1), 7},
        // The luminance alone: 5 x 5 blocks (not 3 x 3 MCUs of 4).
        {"progressive DC scan of the luminance",
         headers(0xC2, 33, 33, YCbCr420).scan({1}, 0, 0, 0, 0), 4},
        // A chrominance channel alone: 3 x 3 blocks.
        {"progressive DC scan of a chrominance channel",
         headers(0xC2, 33, 33, YCbCr420).scan({3}, 0, 0), 2},
        {"two of three components interleaved", headers(0xC2, 33, 33, YCbCr420).scan({1, 2}, 0, 0),
         6},
        {"greyscale, 8 x 8 blocks", headers(0xC0, 64, 64, Grey).scan({1}), 8},
        {"one pixel", headers(0xC0, 1, 1, YCbCr420).scan({1, 2, 3}), 1},
        // A sequential scan is decoded as one whatever its header says.
        {"sequential scan with a progressive header",
         headers(0xC0, 64, 64, Grey).scan({1}, 1, 63, 1, 0), 8},
        // The largest picture: 8189 x 8189 MCUs of 6 blocks, no overflow.
        {"65500 x 65500", headers(0xC2, 65500, 65500, YCbCr420).scan({1, 2, 3}, 0, 0), 12570627},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Stream enough = c.stream;
        enough.data(c.needed).end();
        EXPECT_STREQ(nameOf(check(enough.b)), "Fits");
        Stream shortOne = c.stream;
        shortOne.data(c.needed - 1).end();
        EXPECT_STREQ(nameOf(check(shortOne.b)), "TooShort");
        // Where the file ends instead of a marker: the same.
        Stream cut = c.stream;
        cut.data(c.needed - 1);
        EXPECT_STREQ(nameOf(check(cut.b)), "TooShort");
        EXPECT_STREQ(nameOf(check(cut.b, false)), "NeedMore");
    }
}

// Restart markers and stuffed bytes count as data, both of their bytes (the
// bound stays a lower bound); any other marker ends the scan, and the fill
// bytes before it are none.
TEST(JpegScanCheck, WhatCountsAsTheScansData)
{
    const Stream scan = headers(0xC0, 64, 64, Grey).scan({1}); // needs 8 bytes
    struct Case
    {
        const char *what;
        std::vector<uint8_t> data;
        Verdict verdict;
    };
    const std::vector<Case> cases = {
        {"restart markers", {1, 2, 0xFF, 0xD0, 3, 4, 0xFF, 0xD1, 5, 0xFF, 0xD9}, Verdict::Fits},
        {"stuffed bytes", {0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xD9}, Verdict::Fits},
        {"fill bytes before the end",
         {1, 2, 3, 4, 5, 6, 0xFF, 0xFF, 0xFF, 0xD9},
         Verdict::TooShort},
        {"fill bytes after enough data", {1, 2, 3, 4, 5, 6, 7, 8, 0xFF, 0xFF, 0xD9}, Verdict::Fits},
        {"a DHT marker in the data",
         {1, 2, 3, 4, 5, 0xFF, 0xC4, 0, 4, 1, 2, 3, 4, 5, 6, 7, 8},
         Verdict::TooShort},
        {"a second scan right after",
         {1, 2, 3, 4, 5, 6, 0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0},
         Verdict::TooShort},
    };
    for (const Case &c : cases) {
        Stream s = scan;
        s.bytes(c.data);
        EXPECT_STREQ(nameOf(check(s.b)), nameOf(c.verdict)) << c.what;
    }
}

// Files that are not judged, and headers libjpeg refuses itself: Fits,
// whatever their data.
TEST(JpegScanCheck, FilesLeftToTheDecoder)
{
    struct Case
    {
        const char *what;
        Stream stream;
    };
    std::vector<Case> cases = {
        {"arithmetic sequential", headers(0xC9, 4096, 4096, YCbCr420).scan({1, 2, 3})},
        {"arithmetic progressive", headers(0xCA, 4096, 4096, YCbCr420).scan({1, 2, 3}, 0, 0)},
        {"lossless", headers(0xC3, 4096, 4096, Grey).scan({1}, 1, 0)},
        {"progressive AC scan first", headers(0xC2, 4096, 4096, Grey).scan({1}, 1, 63)},
        {"progressive DC refinement first", headers(0xC2, 4096, 4096, Grey).scan({1}, 0, 0, 1, 0)},
        {"scan before the frame", Stream().scan({1})},
        {"width 0", headers(0xC0, 0, 4096, Grey).scan({1})},
        {"height 0", headers(0xC0, 4096, 0, Grey).scan({1})},
        {"sampling 0", headers(0xC0, 4096, 4096, {{1, 0, 1}}).scan({1})},
        {"sampling 5", headers(0xC0, 4096, 4096, {{1, 5, 1}}).scan({1})},
        {"unknown component", headers(0xC0, 4096, 4096, Grey).scan({2})},
        {"five components in a scan",
         headers(0xC0, 4096, 4096, {{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 1}, {5, 1, 1}})
             .scan({1, 2, 3, 4, 5})},
        {"second frame header", headers(0xC0, 4096, 4096, Grey).frame(0xC0, 8, 8, Grey).scan({1})},
        {"EOI before the scan", headers(0xC0, 4096, 4096, Grey).end()},
    };
    Stream badLength = headers(0xC0, 4096, 4096, Grey);
    badLength.segment(0xDA, {1, 1, 0, 0, 63, 0, 0}); // one byte too many
    cases.push_back({"scan header of a wrong length", badLength});
    Stream noSoi;
    noSoi.b = {0xFF, 0xD9};
    cases.push_back({"no SOI", noSoi});
    for (Case &c : cases) {
        c.stream.data(1).end();
        EXPECT_STREQ(nameOf(check(c.stream.b)), "Fits") << c.what;
    }
    EXPECT_STREQ(nameOf(check({})), "Fits");
    EXPECT_STREQ(nameOf(check({0xFF})), "Fits");
}

// Stray bytes and fill bytes between segments are skipped as libjpeg skips
// them, and a segment is skipped by its length.
TEST(JpegScanCheck, MarkersAreFoundAsTheDecoderFindsThem)
{
    Stream s;
    s.bytes({0xFF, 0xFF, 0xFF}); // fill bytes before a marker
    s.segment(0xE1, {0xFF, 0xDA, 0, 8, 0xFF, 0xC0}); // marker-like bytes inside a segment
    s.bytes({'h', 'e', 'l', 'l', 'o', 0xFF, 0}); // stray bytes, an escaped 0xFF among them
    s.frame(0xC0, 64, 64, Grey).bytes({0xFF, 0xD0}).scan({1}); // a stray restart marker
    Stream enough = s, shortOne = s;
    enough.data(8).end();
    shortOne.data(7).end();
    EXPECT_STREQ(nameOf(check(enough.b)), "Fits");
    EXPECT_STREQ(nameOf(check(shortOne.b)), "TooShort");
}

// Every prefix of a file gives NeedMore until the verdict is known, and
// then the whole file's verdict; the whole file gives it as well.
TEST(JpegScanCheck, PrefixesOfAFileBeingRead)
{
    TempDir dir;
    const std::vector<uint8_t> progressive = cjpegPhoto(dir, "p.jpg", 96, 64, 3, "-progressive");
    const std::vector<uint8_t> baseline = cjpegPhoto(dir, "b.jpg", 96, 64, 3);
    const std::vector<uint8_t> claim = smallFileClaimingAHugePicture(dir);
    struct Case
    {
        const char *what;
        std::vector<uint8_t> file;
        Verdict verdict;
    };
    for (const Case &c : {Case {"progressive", progressive, Verdict::Fits},
                          Case {"baseline", baseline, Verdict::Fits},
                          Case {"a huge claim", claim, Verdict::TooShort}}) {
        SCOPED_TRACE(c.what);
        EXPECT_STREQ(nameOf(check(c.file)), nameOf(c.verdict));
        bool known = false;
        for (size_t n = 0; n < c.file.size(); ++n) {
            const std::vector<uint8_t> prefix(c.file.begin(), c.file.begin() + ptrdiff_t(n));
            const Verdict v = check(prefix, false);
            // NeedMore, then the verdict from some length on.
            known = known || v != Verdict::NeedMore;
            if (known) {
                ASSERT_STREQ(nameOf(v), nameOf(c.verdict)) << n << " bytes";
            }
        }
        // The verdict comes before the file's end: once the data hold the
        // blocks, or with the marker after a short scan.
        EXPECT_TRUE(known);
    }
}

// Every shared JPEG file that djpeg decodes without a warning fits. Three
// do not: one whose 27 bytes of first scan claim 152334 blocks (djpeg makes
// up its picture with a warning), and two that djpeg refuses (one for its
// Huffman tables, one for its size).
TEST(JpegScanCheck, TheSharedFiles)
{
    const std::set<std::string> tooShort = {
        "its-8e5e74dbf9b68a322fbb9512db837329.jpg",
        "derive-huffman-codes-overflow.jpg",
        "max_size.jpg",
    };
    std::set<std::string> found;
    int clean = 0;
    for (const auto &entry : fs::directory_iterator(JpegFixtures)) {
        if (entry.path().extension() != ".jpg")
            continue;
        const std::string name = entry.path().filename().string();
        const Verdict v = check(fileBytes(entry.path().string()));
        if (v == Verdict::TooShort)
            found.insert(name);
        if (run("djpeg -dct float -outfile /dev/null '" + entry.path().string() + "' 2>/dev/null")
            == 0) {
            EXPECT_STREQ(nameOf(v), "Fits") << name;
            ++clean;
        }
    }
    EXPECT_EQ(found, tooShort);
    EXPECT_GE(clean, 20);
}
