// Every kind of PNG file decodes to the pixels other decoders give, under
// the program's rules: the files of make-png-cases.py (each colour type and
// bit depth, tRNS, interlacing, odd sizes, filters, chunk layouts, ancillary
// chunks) read by our reader and by two others, whose samples are then
// taken to 8 bits, widened and laid over white here:
// - Qt's image reader (libpng underneath), for every file but those of 16-bit
//   RGB with tRNS, whose colours it gets wrong;
// - pypng's decoder (pure Python), whose output make-png-cases.py writes
//   beside each file it reads (not the few with damaged ancillary chunks,
//   which it refuses).
// Every file meets at least one of them, most both.

#include "PngTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <sstream>

using namespace masume;
using namespace masume::test;

namespace {

// A sample of a reference decoder at 8 bits: 16-bit samples rounded,
// samples of 1, 2 and 4 bits scaled (exactly: their largest value divides
// 255), the rest as they are. The formulas are written out here rather than
// taken from the reader.
unsigned eightBits(unsigned v, unsigned maxval)
{
    return maxval == 65535 ? (v * 255 + 32767) / 65535 : v * 255 / maxval;
}

// A pixel laid over white.
uint8_t overWhite(unsigned c, unsigned a)
{
    return uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

// Qt's picture of a file under the rules.
Surface qtReference(const std::string &file)
{
    QImage image(QString::fromStdString(file));
    if (image.isNull())
        return {};
    // Samples of fewer than 16 bits become v * 257, which the rounding
    // takes back exactly; alpha stays straight.
    image = image.convertToFormat(QImage::Format_RGBA64);
    Surface s(image.width(), image.height(), PixelFormat::Rgb24);
    for (int y = 0; y < image.height(); ++y) {
        const auto *in = reinterpret_cast<const uint16_t *>(image.constScanLine(y));
        uint8_t *out = s.scanLine(y);
        for (int x = 0; x < image.width(); ++x, in += 4) {
            const unsigned a = eightBits(in[3], 65535);
            for (int c = 0; c < 3; ++c)
                out[3 * x + 2 - c] = overWhite(eightBits(in[c], 65535), a);
        }
    }
    return s;
}

// pypng's picture of a file under the rules, from the PAM file beside it:
// 1 to 4 planes (grey, grey and alpha, RGB, RGBA) of samples up to MAXVAL,
// two bytes each when that exceeds 255. Empty when there is none.
Surface pypngReference(const std::string &pam)
{
    const std::vector<uint8_t> bytes = fileBytes(pam);
    const std::string text(bytes.begin(), bytes.end());
    const size_t end = text.find("ENDHDR\n");
    if (end == std::string::npos)
        return {};
    std::istringstream header(text.substr(0, end));
    std::string key;
    unsigned width = 0, height = 0, depth = 0, maxval = 0;
    while (header >> key)
        if (key == "WIDTH")
            header >> width;
        else if (key == "HEIGHT")
            header >> height;
        else if (key == "DEPTH")
            header >> depth;
        else if (key == "MAXVAL")
            header >> maxval;
    const size_t sampleBytes = maxval > 255 ? 2 : 1;
    const uint8_t *p = bytes.data() + end + 7;
    if (depth < 1 || depth > 4 || maxval == 0
        || bytes.size() < end + 7 + size_t(width) * height * depth * sampleBytes)
        return {};
    auto sample = [&] {
        const unsigned v = sampleBytes == 2 ? p[0] << 8 | p[1] : p[0];
        p += sampleBytes;
        return eightBits(v, maxval);
    };
    Surface s(int(width), int(height), PixelFormat::Rgb24);
    for (unsigned y = 0; y < height; ++y) {
        uint8_t *out = s.scanLine(int(y));
        for (unsigned x = 0; x < width; ++x) {
            unsigned rgb[3];
            rgb[0] = sample();
            rgb[1] = depth >= 3 ? sample() : rgb[0];
            rgb[2] = depth >= 3 ? sample() : rgb[0];
            const unsigned a = depth % 2 == 0 ? sample() : 255;
            for (int c = 0; c < 3; ++c)
                out[3 * x + 2 - c] = overWhite(rgb[c], a);
        }
    }
    return s;
}

// Whether Qt's reader gets the file wrong: 16-bit RGB with tRNS.
bool qtGetsItWrong(const std::vector<uint8_t> &file)
{
    const std::vector<PngChunk> chunks = pngChunks(file);
    if (chunks.empty() || chunks[0].type != "IHDR" || chunks[0].data.size() != 13)
        return false;
    const bool trns = std::any_of(chunks.begin(), chunks.end(),
                                  [](const PngChunk &c) { return c.type == "tRNS"; });
    return chunks[0].data[8] == 16 && chunks[0].data[9] == 2 && trns;
}

// "" when equal, else where they first differ.
std::string difference(const Surface &ours, const Surface &theirs)
{
    if (ours.width() != theirs.width() || ours.height() != theirs.height())
        return "size " + std::to_string(ours.width()) + "x" + std::to_string(ours.height())
            + " against " + std::to_string(theirs.width()) + "x" + std::to_string(theirs.height());
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x)
            if (ours.pixel(x, y) != theirs.pixel(x, y)) {
                char text[100];
                std::snprintf(text, sizeof text, "pixel (%d, %d): %06X against %06X", x, y,
                              unsigned(ours.pixel(x, y)), unsigned(theirs.pixel(x, y)));
                return text;
            }
    return "";
}

class PngSuite : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        made = makePngCases(folder->path().string());
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    // The PNG files made.
    static std::vector<std::string> files()
    {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(folder->path()))
            if (e.path().extension() == ".png")
                out.push_back(e.path().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    static inline TempDir *folder = nullptr;
    static inline bool made = false;
};

} // namespace

TEST_F(PngSuite, EveryKindDecodesAsOtherDecodersUnderTheRules)
{
    ASSERT_TRUE(made) << "make-png-cases.py failed";
    const std::vector<std::string> all = files();
    // Each colour type and depth with and without tRNS, plain and
    // interlaced, and the rest: far more than a hundred.
    ASSERT_GT(all.size(), 150u);
    int byQt = 0, byPypng = 0;
    for (const std::string &file : all) {
        const std::string name = fs::path(file).filename().string();
        const std::vector<uint8_t> bytes = fileBytes(file);
        Surface ours;
        const std::string error = errorOf([&] { ours = decodePng(bytes); });
        EXPECT_EQ(error, "") << name;
        if (!error.empty())
            continue;
        int references = 0;
        if (!qtGetsItWrong(bytes)) {
            const Surface qt = qtReference(file);
            EXPECT_FALSE(qt.isEmpty()) << name << ": Qt cannot read it";
            EXPECT_EQ(difference(ours, qt), "") << name << " against Qt";
            ++references;
            ++byQt;
        }
        const std::string pam = file.substr(0, file.size() - 4) + ".pam";
        if (fs::exists(pam)) {
            const Surface pypng = pypngReference(pam);
            EXPECT_FALSE(pypng.isEmpty()) << name << ": the PAM file is damaged";
            EXPECT_EQ(difference(ours, pypng), "") << name << " against pypng";
            ++references;
            ++byPypng;
        }
        EXPECT_GT(references, 0) << name;
    }
    EXPECT_GT(byQt, 150);
    EXPECT_GT(byPypng, 150);
}

// However a caller asks for the rows, one at a time or many, the pixels are
// the same: the interlaced files are held whole, the others decoded as
// they go.
TEST_F(PngSuite, RowsComeTheSameInAnyPieces)
{
    ASSERT_TRUE(made);
    for (const char *name : {"rgb8n", "rgb8i", "palette4i-trns", "rgba16i", "grey1n-trns"}) {
        const std::vector<uint8_t> file = fileBytes(folder->file(std::string(name) + ".png"));
        const Surface one = decodePng(file, 1);
        for (int rows : {2, 5, 11, 100})
            EXPECT_EQ(difference(decodePng(file, rows), one), "") << name << ", " << rows;
    }
}

// Gamma, colour profiles and significant bits leave the samples as stored:
// the same pixels as the file without those chunks.
TEST_F(PngSuite, ColourChunksLeaveTheSamplesAsStored)
{
    ASSERT_TRUE(made);
    const Surface plain = decodePng(fileBytes(folder->file("chunk-private.png")));
    for (const char *name : {"chunk-gamma", "chunk-gamma-odd", "chunk-srgb", "chunk-profile",
                             "chunk-chromaticities", "chunk-significant-bits"})
        EXPECT_EQ(difference(decodePng(fileBytes(folder->file(std::string(name) + ".png"))), plain),
                  "")
            << name;
}
