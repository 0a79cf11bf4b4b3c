// A progressive JPEG's scans may pass over the picture's blocks 100 times
// in all. Every file jpegtran makes (at most 100 scans, however they are
// cut) decodes; a file of repeated scans, which costs a pass each however
// little data it holds, is refused once past that, in no more time than a
// few plain decodes of a picture of its size.

#include "JpegTestSupport.h"
#include "PictureTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <jerror.h>

using namespace masume;
using namespace masume::test;

namespace {

// Files made of the ten scans of jpg-progressive.jpg (32 x 32, 4:2:0)
// and copies of one of them, with a frame size claimed at will: the first
// scan is padded with zero bytes (DC differences of 0) to one bit per
// block of the claimed size, so that its data can hold its blocks; the
// later scans' data runs out early, and the library goes on over every
// block of each.
class RepeatedScans
{
public:
    RepeatedScans()
        : m_file(fileBytes(JpegFixtures + "/jpg-progressive.jpg"))
    {
        for (size_t i = 0; i + 1 < m_file.size(); ++i)
            if (m_file[i] == 0xFF && m_file[i + 1] == 0xDA)
                m_scans.push_back(i);
        m_scans.push_back(m_file.size() - 2); // the end marker
    }
    size_t scans() const { return m_scans.size() - 1; }

    // All ten scans, then copies of scan `repeated` up to `total` scans.
    std::vector<uint8_t> make(int w, int h, size_t total, size_t repeated) const
    {
        std::vector<uint8_t> out(m_file.begin(), m_file.end() - 2);
        const auto from = m_file.begin() + ptrdiff_t(m_scans[repeated]);
        const auto to = m_file.begin() + ptrdiff_t(m_scans[repeated + 1]);
        for (size_t i = scans(); i < total; ++i)
            out.insert(out.end(), from, to);
        out.insert(out.end(), {0xFF, 0xD9});
        // Interleaved 16 x 16 MCUs of 6 blocks.
        const size_t blocks = size_t((w + 15) / 16) * size_t((h + 15) / 16) * 6;
        const size_t firstData
            = m_scans[0] + 2 + (size_t(out[m_scans[0] + 2]) << 8) + out[m_scans[0] + 3];
        out.insert(out.begin() + ptrdiff_t(firstData), (blocks + 7) / 8, 0);
        return withFrameSize(out, w, h);
    }

private:
    std::vector<uint8_t> m_file;
    std::vector<size_t> m_scans;
};

std::string decodeError(const std::vector<uint8_t> &file)
{
    return errorOf([&] { makeSurface(readPictureBytes(PictureKind::Jpeg, file)); });
}

// The shortest of three runs, in seconds: the machine's other work only
// ever adds time.
template<typename F> double secondsOf(F &&f)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// A jpegtran scan script: one scan per line.
std::string script(const std::vector<std::string> &scans)
{
    std::string out;
    for (const std::string &s : scans)
        out += s + ";\n";
    return out;
}

std::string scan(const std::string &components, int from, int to, int high, int low)
{
    return components + ": " + std::to_string(from) + " " + std::to_string(to) + " "
        + std::to_string(high) + " " + std::to_string(low);
}

} // namespace

// The limit itself: the ten scans pass over 128 blocks of the 24 of a
// 32 x 32 picture, each copy of the last (a luminance scan) over 16 more,
// so 152 scans stay within 2400 blocks and 153 do not; the same at any
// size of the same shape.
TEST(JpegScans, TheScansMayPassOverThePictureAHundredTimes)
{
    const RepeatedScans file;
    ASSERT_EQ(file.scans(), 10u);
    for (const auto &[w, h] : {std::pair {32, 32}, std::pair {4000, 2500}}) {
        Surface s;
        EXPECT_EQ(errorOf([&] {
                      s = makeSurface(readPictureBytes(PictureKind::Jpeg, file.make(w, h, 152, 9)));
                  }),
                  "")
            << w << "x" << h;
        EXPECT_EQ(s.width(), w);
        EXPECT_EQ(decodeError(file.make(w, h, 153, 9)), jpegError(JERR_BAD_PROGRESSION))
            << w << "x" << h;
    }
}

// Measured on a 6000 x 4000 photo: files of up to 100 scans that jpegtran
// makes with scan scripts, which `djpeg -dct float` decodes well within 2 s
// (under a second here; the times are shown), all decode; files of at most 1 MB that repeat a scan
// (a luminance refinement, a colour scan) are refused in at most 10 times the time of a plain
// decode of the same size. (7000 copies: with the first scan padded to
// hold the blocks of 6000 x 4000 pixels, 8000 would pass 1 MB.)
TEST(JpegScans, RefusesScanBombsNotPhotos)
{
    const int W = 6000, H = 4000;
    TempDir dir;
    const std::string plain = dir.file("plain.jpg");
    writeJpegFile(photoLike(W, H, 5), plain);

    // 99 scans: every luminance coefficient alone, then refined in pairs.
    std::vector<std::string> s99 = {scan("0,1,2", 0, 0, 0, 1)};
    for (int k = 1; k <= 63; ++k)
        s99.push_back(scan("0", k, k, 0, 1));
    s99.push_back(scan("1", 1, 63, 0, 1));
    s99.push_back(scan("2", 1, 63, 0, 1));
    s99.push_back(scan("0,1,2", 0, 0, 1, 0));
    for (int k = 1; k <= 60; k += 2)
        s99.push_back(scan("0", k, std::min(k + 1, 63), 1, 0));
    s99.back() = scan("0", 59, 63, 1, 0);
    s99.push_back(scan("1", 1, 63, 1, 0));
    s99.push_back(scan("2", 1, 63, 1, 0));
    // 91 scans: luminance in 8 bands, each refined bit by bit from bit 10.
    const std::pair<int, int> bands[]
        = {{1, 1}, {2, 3}, {4, 6}, {7, 10}, {11, 15}, {16, 23}, {24, 35}, {36, 63}};
    std::vector<std::string> s91 = {scan("0,1,2", 0, 0, 0, 0)};
    for (const auto &[a, b] : bands)
        s91.push_back(scan("0", a, b, 0, 10));
    for (int bit = 10; bit > 0; --bit)
        for (const auto &[a, b] : bands)
            s91.push_back(scan("0", a, b, bit, bit - 1));
    s91.push_back(scan("1", 1, 63, 0, 0));
    s91.push_back(scan("2", 1, 63, 0, 0));
    // 100 scans: the DC refined bit by bit from bit 10 over all three
    // channels (each a pass over every block), every luminance coefficient
    // alone, the colour in bands.
    std::vector<std::string> s100 = {scan("0,1,2", 0, 0, 0, 10)};
    for (int bit = 10; bit > 0; --bit)
        s100.push_back(scan("0,1,2", 0, 0, bit, bit - 1));
    for (int k = 1; k <= 63; ++k)
        s100.push_back(scan("0", k, k, 0, 0));
    for (const char *c : {"1", "2"})
        for (int k = 1; k <= 63 && s100.size() < 100; k += 5)
            s100.push_back(scan(c, k, std::min(k + 4, 63), 0, 0));

    for (const auto &[name, scans] :
         {std::pair {"99", s99}, std::pair {"91", s91}, std::pair {"100", s100}}) {
        const std::string scriptFile = dir.file(std::string("s") + name + ".txt");
        const std::string progressive = dir.file(std::string("p") + name + ".jpg");
        writeBytes(scriptFile, [&] {
            const std::string text = script(scans);
            return std::vector<uint8_t>(text.begin(), text.end());
        }());
        ASSERT_EQ(run("jpegtran -scans '" + scriptFile + "' -outfile '" + progressive + "' '"
                      + plain + "'"),
                  0)
            << name;
        const double djpeg
            = secondsOf([&] { run("djpeg -dct float -outfile /dev/null '" + progressive + "'"); });
        Surface s;
        EXPECT_EQ(errorOf([&] { s = makeSurface(readPicture(progressive)); }), "")
            << scans.size() << " scans";
        EXPECT_EQ(s.width(), W);
        std::cout << scans.size() << " scans, " << fs::file_size(progressive) / 1024
                  << " KiB: djpeg " << djpeg << " s\n";
    }

    const Picture baseline = readPicture(plain);
    const double plainDecode = secondsOf([&] { makeSurface(baseline); });
    const RepeatedScans file;
    // Scan 9 refines the luminance; scan 2 is the first of one colour
    // channel, the dearest per block of the file's scans.
    for (const auto &[repeated, total] : {std::pair {9, 7000}, std::pair {2, 7000}}) {
        const std::vector<uint8_t> bomb = file.make(W, H, size_t(total), size_t(repeated));
        ASSERT_LE(bomb.size(), 1u << 20);
        std::string error;
        const double refused = secondsOf([&] { error = decodeError(bomb); });
        EXPECT_EQ(error, jpegError(JERR_BAD_PROGRESSION));
        EXPECT_LE(refused, 10 * plainDecode) << "scan " << repeated;
        std::cout << total << " copies of scan " << repeated << ", " << bomb.size() / 1024
                  << " KiB: refused after " << refused << " s, " << refused / plainDecode
                  << " times a plain decode (" << plainDecode << " s)\n";
    }
}
