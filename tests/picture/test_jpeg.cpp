#include "JpegTestSupport.h"
#include "PictureTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <set>

using namespace masume;
using namespace masume::test;

namespace {

bool isJpegError(const std::string &message)
{
    const std::string prefix = "JPEG エラー #";
    return message.size() > prefix.size() && message.rfind(prefix, 0) == 0
        && message.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

Surface decodeFile(const std::string &name)
{
    return makeSurface(readPicture(name));
}

// The first pixel where two surfaces differ, or "" when they are equal.
std::string difference(const Surface &a, const Surface &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return "size " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " against "
            + std::to_string(b.width()) + "x" + std::to_string(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

} // namespace

// Every fixture decodes to the pixels of `djpeg -dct float` (all options
// otherwise default: fancy upsampling, block smoothing), warnings included;
// where djpeg gives up, reading fails with the library's error code. The
// one exception is a file whose first scan cannot hold the blocks it
// claims, which djpeg makes up with a warning and the reader refuses as
// data that end early.
TEST(JpegReader, FixturesDecodeAsLibjpegTurbosOwnTool)
{
    const std::string tooShort = "its-8e5e74dbf9b68a322fbb9512db837329.jpg";
    TempDir dir;
    int compared = 0, failed = 0;
    for (const auto &entry : fs::directory_iterator(JpegFixtures)) {
        const std::string name = entry.path().string();
        if (entry.path().extension() != ".jpg")
            continue;
        const std::string ppm = dir.file(entry.path().stem().string() + ".pnm");
        const int status
            = run("djpeg -dct float -outfile '" + ppm + "' '" + name + "' 2>/dev/null");
        Surface ours;
        const std::string error = errorOf([&] { ours = decodeFile(name); });
        if (entry.path().filename() == tooShort) {
            EXPECT_EQ(status, 2) << "djpeg warns";
            EXPECT_EQ(error, jpegError(JERR_INPUT_EOF));
            continue;
        }
        if (status == 0 || status == 2) { // 2: warnings only
            EXPECT_EQ(error, "") << name;
            EXPECT_EQ(difference(ours, readPnm(ppm)), "") << name;
            ++compared;
        } else {
            EXPECT_TRUE(isJpegError(error)) << name << ": " << error;
            ++failed;
        }
    }
    EXPECT_GE(compared, 30);
    EXPECT_GE(failed, 8);
}

TEST(JpegReader, ErrorsCarryTheLibrarysMessageCode)
{
    EXPECT_EQ(errorOf([] { decodeFile(JpegFixtures + "/empty.jpg"); }),
              jpegError(JERR_INPUT_EMPTY));
    EXPECT_EQ(errorOf([] { decodeFile(JpegFixtures + "/missing-sos.jpg"); }),
              jpegError(JERR_SOF_NO_SOS));
    EXPECT_EQ(errorOf([] { decodeFile(JpegFixtures + "/monkey12.jpg"); }),
              jpegError(JERR_BAD_PRECISION));
    EXPECT_EQ(errorOf([] { decodeFile(JpegFixtures + "/max_size.jpg"); }),
              jpegError(JERR_IMAGE_TOO_BIG));
}

TEST(JpegReader, TheFileIsReadWholeAndDecodedWhenTheSurfaceIsMade)
{
    TempDir dir;
    const std::string name = dir.file("p.jpeg");
    fs::copy_file(JpegFixtures + "/truncated_jpeg.jpg", name);
    const Picture p = readPicture(name);
    EXPECT_EQ(p.kind(), PictureKind::Jpeg);
    EXPECT_EQ(p.width(), 100);
    EXPECT_EQ(p.height(), 100);
    fs::remove(name);
    const Surface s = makeSurface(p);
    EXPECT_EQ(s.width(), 100);
    EXPECT_EQ(s.pixelFormat(), PixelFormat::Rgb24);
    EXPECT_EQ(difference(s, makeSurface(p)), "");
}

// A greyscale file of 256 flat 8 x 8 blocks, one per level: at quality 100
// each block is its DC coefficient alone, which holds its level exactly, so
// the picture comes back with every one of the 256 levels, in the 8-bit
// output mode as well.
TEST(JpegReader, GreyscaleKeepsAll256Levels)
{
    TempDir dir;
    std::string pgm = "P5\n2048 8\n255\n";
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 2048; ++x)
            pgm += char(x / 8);
    writeBytes(dir.file("levels.pgm"), {pgm.begin(), pgm.end()});
    ASSERT_EQ(run("cjpeg -grayscale -quality 100 -outfile '" + dir.file("levels.jpg") + "' '"
                  + dir.file("levels.pgm") + "'"),
              0);
    for (bool eightBits : {false, true}) {
        setJpegEightBitOutput(eightBits);
        const Surface s = decodeFile(dir.file("levels.jpg"));
        std::set<Colour> levels;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 2048; ++x) {
                const unsigned level = unsigned(x / 8);
                ASSERT_EQ(s.pixel(x, y), rgb(level, level, level))
                    << x << "," << y << (eightBits ? ", 8-bit output" : "");
                levels.insert(s.pixel(x, y));
            }
        EXPECT_EQ(levels.size(), 256u);
    }
    setJpegEightBitOutput(false);
}

TEST(JpegReader, EightBitOutputQuantisesColourAsDjpeg)
{
    TempDir dir;
    const std::string ppm = dir.file("q.ppm");
    ASSERT_EQ(run("djpeg -dct float -colors 236 -outfile '" + ppm + "' '" + JpegFixtures
                  + "/testorig.jpg'"),
              0);
    setJpegEightBitOutput(true);
    const Surface s = decodeFile(JpegFixtures + "/testorig.jpg");
    setJpegEightBitOutput(false);
    EXPECT_EQ(difference(s, readPnm(ppm)), "");
    std::set<Colour> colours;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            colours.insert(s.pixel(x, y));
    EXPECT_LE(colours.size(), 236u);
}

TEST(JpegReader, HugeFramesAreRefusedBeforeDecoding)
{
    // 65500 x 65500 pixels claimed by a file of a few hundred bytes: its
    // data cannot hold them, which is told before the memory guard would
    // call it too large.
    const std::vector<uint8_t> small = fileBytes(JpegFixtures + "/jpg-size-1x1.jpg");
    const Picture huge = readPictureBytes(PictureKind::Jpeg, withFrameSize(small, 65500, 65500));
    EXPECT_EQ(huge.width(), 65500);
    EXPECT_EQ(errorOf([&] { makeSurface(huge); }), jpegError(JERR_INPUT_EOF));

    setPicturePixelLimit(227 * 149 - 1);
    EXPECT_EQ(errorOf([] { decodeFile(JpegFixtures + "/testorig.jpg"); }), msg::OutOfMemory);
    setPicturePixelLimit(227 * 149);
    EXPECT_EQ(decodeFile(JpegFixtures + "/testorig.jpg").width(), 227);
    setPicturePixelLimit(0);
}

// A file whose first scan is too short for the blocks its frame claims is
// refused as data that end early, before anything of the picture's size is
// allocated: also before the memory guard, which would call a damaged file
// too large. A file cut in its first scan opens (with the rows the library
// makes up) as long as its data can hold the blocks.
TEST(JpegReader, AFirstScanTooShortForItsBlocksIsRefused)
{
    TempDir dir;
    const Picture huge = readPictureBytes(PictureKind::Jpeg, smallFileClaimingAHugePicture(dir));
    EXPECT_EQ(huge.width(), 49157);
    EXPECT_EQ(errorOf([&] { makeSurface(huge); }), jpegError(JERR_INPUT_EOF));
    setPicturePixelLimit(1);
    EXPECT_EQ(errorOf([&] { makeSurface(huge); }), jpegError(JERR_INPUT_EOF));
    setPicturePixelLimit(0);

    // testorig.jpg: 227 x 149 in 4:2:0, 900 blocks, so 113 bytes of data
    // at least; its single scan's data start at byte 623.
    const std::vector<uint8_t> whole = fileBytes(JpegFixtures + "/testorig.jpg");
    ASSERT_EQ(whole[621], 0x3F); // the scan header's last two bytes: Se 63,
    ASSERT_EQ(whole[622], 0x00); // Ah Al 0
    const auto cutAfter = [&](size_t dataBytes) {
        return readPictureBytes(PictureKind::Jpeg,
                                {whole.begin(), whole.begin() + ptrdiff_t(623 + dataBytes)});
    };
    EXPECT_EQ(makeSurface(cutAfter(113)).width(), 227);
    EXPECT_EQ(errorOf([&] { makeSurface(cutAfter(112)); }), jpegError(JERR_INPUT_EOF));
}

// The writer's file is byte for byte what libjpeg-turbo's cjpeg writes for
// the same pixels with quality 90, float DCT and baseline tables.
TEST(JpegWriter, WritesWhatCjpegWrites)
{
    TempDir dir;
    for (const auto &[w, h] :
         std::vector<std::pair<int, int>> {{1, 1}, {17, 9}, {48, 32}, {227, 149}}) {
        const Surface s = photoLike(w, h, unsigned(w));
        writeJpegFile(s, dir.file("ours.jpg"));
        writePpm(s, dir.file("in.ppm"));
        ASSERT_EQ(run("cjpeg -quality 90 -dct float -baseline -outfile '" + dir.file("theirs.jpg")
                      + "' '" + dir.file("in.ppm") + "'"),
                  0);
        const std::vector<uint8_t> ours = fileBytes(dir.file("ours.jpg"));
        EXPECT_EQ(ours, fileBytes(dir.file("theirs.jpg"))) << w << "x" << h;
        // JFIF 1.01, density unit 0, densities 1 and 1
        const std::vector<uint8_t> app0
            = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1};
        EXPECT_TRUE(std::equal(app0.begin(), app0.end(), ours.begin()));
    }
}

TEST(JpegWriter, OneBitSurfacesAreWrittenAsColour)
{
    TempDir dir;
    Surface mono(16, 8, PixelFormat::Mono1, White);
    mono.setPenColor(Black);
    mono.MoveTo(0, 0);
    mono.LineTo(16, 8);
    Surface colour = mono;
    colour.convertTo24();
    writeJpegFile(mono, dir.file("mono.jpg"));
    writeJpegFile(colour, dir.file("colour.jpg"));
    EXPECT_EQ(fileBytes(dir.file("mono.jpg")), fileBytes(dir.file("colour.jpg")));
}

TEST(PictureWriters, EmptySurfacesGiveEmptyFiles)
{
    TempDir dir;
    writeBytes(dir.file("old.jpg"), {1, 2, 3});
    writeJpegFile(Surface(), dir.file("old.jpg"));
    writeJpegFile(Surface(0, 5), dir.file("new.jpeg"));
    writeBmpFile(Surface(), dir.file("new.bmp"));
    for (const char *name : {"old.jpg", "new.jpeg", "new.bmp"})
        EXPECT_EQ(fs::file_size(dir.file(name)), 0u) << name;
    EXPECT_TRUE(makeSurface(readPicture(dir.file("new.bmp"))).isEmpty());
}
