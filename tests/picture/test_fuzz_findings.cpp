// The fuzz targets' check replayed in every build: the reader of each kind
// gives a 24-bit surface of the size its header claims, or one of the
// readers' messages, never anything else (a crash, a sanitizer report, a
// foreign error).
//
// Over two sets of files: those the fuzz targets once failed on, kept in
// data/ as fuzz-<target>-* (fuzz/run-all.sh replays them through the
// targets themselves), and a corpus made here the same way on every run:
// each test file of a kind (the shared BMP suite and JPEG files, the
// icon and metafiles of data/, the PNG files of make-png-cases.py) changed
// in a few hundred ways, flipped bytes, extreme header fields, cut ends,
// repeated and missing pieces. PNG files are read as they are and with the
// CRCs of their chunks made right again, as the PNG fuzz target does, so
// that the changes reach past the CRC checks.

#include "PictureTestSupport.h"
#include "PngTestSupport.h"
#include "picture/ExifOrientation.h"
#include "picture/PictureFile.h"
#include "picture/ReaderMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace masume;
using namespace masume::test;

namespace {

// A seeded xorshift: the same corpus on every run and machine.
class Random
{
public:
    explicit Random(uint32_t seed)
        : m_state(seed * 2654435761u + 1)
    {
    }
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    size_t below(size_t n) { return n == 0 ? 0 : next() % n; }

private:
    uint32_t m_state;
};

// Variant `n` of a file: one of the changes a fuzzer starts with.
std::vector<uint8_t> mutated(std::vector<uint8_t> file, uint32_t n)
{
    Random random(n);
    if (file.empty())
        return {uint8_t(random.next())};
    const size_t at = random.below(file.size());
    switch (n % 6) {
    case 0: // a flipped byte
        file[at] ^= uint8_t(1 + random.below(255));
        break;
    case 1: { // a header field at an extreme
        static const uint32_t extremes[]
            = {0, 1, 0x7FFF, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        const uint32_t value = extremes[random.below(std::size(extremes))];
        const size_t field = random.below(std::min<size_t>(file.size(), 128));
        for (size_t i = 0; i < 4 && field + i < file.size(); ++i)
            file[field + i] = uint8_t(value >> (8 * i));
        break;
    }
    case 2: // cut short
        file.resize(at);
        break;
    case 3: { // a piece repeated
        const size_t length = 1 + random.below(std::min<size_t>(file.size() - at, 512));
        const std::vector<uint8_t> piece(file.begin() + ptrdiff_t(at),
                                         file.begin() + ptrdiff_t(at + length));
        file.insert(file.begin() + ptrdiff_t(at), piece.begin(), piece.end());
        break;
    }
    case 4: { // a piece missing
        const size_t length = 1 + random.below(std::min<size_t>(file.size() - at, 512));
        file.erase(file.begin() + ptrdiff_t(at), file.begin() + ptrdiff_t(at + length));
        break;
    }
    default: // several flipped bytes
        for (int i = 0; i < 8; ++i)
            file[random.below(file.size())] ^= uint8_t(1 + random.below(255));
        break;
    }
    return file;
}

// The fuzz target's check; "" when it holds, else what went wrong.
std::string check(PictureKind kind, const std::vector<uint8_t> &file)
{
    Picture picture;
    Surface surface;
    try {
        picture = readPictureBytes(kind, file);
        surface = makeSurface(picture);
    } catch (const Error &e) {
        return isReaderMessage(e.what()) ? "" : std::string("message ") + e.what();
    }
    if (surface.width() != picture.width() || surface.height() != picture.height())
        return "a surface of another size than the header's";
    if (surface.pixelFormat() != PixelFormat::Rgb24)
        return "a surface of another pixel format";
    return "";
}

// The PNG fuzz target's check on a file as it is and with right CRCs: every
// row read, or one of the readers' messages.
std::string checkPng(const std::vector<uint8_t> &file)
{
    for (const std::vector<uint8_t> &f : {file, pngFile(pngChunks(file))}) {
        try {
            decodePng(f, 7);
        } catch (const Error &e) {
            if (!isReaderMessage(e.what()))
                return std::string("message ") + e.what();
        }
    }
    return "";
}

// fuzz_exif's check: the Exif parser gives an orientation of 1 to 8.
std::string checkExif(const std::vector<uint8_t> &block)
{
    const int o = exifOrientation(block);
    return o >= 1 && o <= 8 ? "" : "orientation " + std::to_string(o);
}

// The files with an extension under a folder, sorted.
std::vector<std::string> filesIn(const std::string &folder, const std::string &extension)
{
    std::vector<std::string> out;
    for (const auto &e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().extension() == extension)
            out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

// The fuzz targets' limit of 4 megapixels, under which a claimed size is
// decoded, not refused; the default again however the test ends.
struct FuzzLimit
{
    FuzzLimit() { setPicturePixelLimit(uint64_t(1) << 22); }
    ~FuzzLimit() { setPicturePixelLimit(0); }
};

} // namespace

TEST(FuzzFindings, KeptFindingsGiveASurfaceOrAReaderMessage)
{
    using Check = std::function<std::string(const std::vector<uint8_t> &)>;
    const auto reader = [](PictureKind kind) -> Check {
        return [kind](const std::vector<uint8_t> &file) { return check(kind, file); };
    };
    const std::map<std::string, Check> targets = {
        {"bmp", reader(PictureKind::Bitmap)},
        {"jpeg", reader(PictureKind::Jpeg)},
        {"icon", reader(PictureKind::Icon)},
        {"metafile", reader(PictureKind::Metafile)},
        {"png", checkPng},
        {"exif", checkExif},
    };
    FuzzLimit limit;
    for (const auto &entry : fs::directory_iterator(MASUME_PICTURE_DATA)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("fuzz-", 0) != 0)
            continue;
        const std::string target = name.substr(5, name.find('-', 5) - 5);
        const auto found = targets.find(target);
        ASSERT_NE(found, targets.end()) << name << ": no target " << target;
        EXPECT_EQ(found->second(fileBytes(entry.path().string())), "") << name;
    }
}

TEST(FuzzFindings, AMadeCorpusGivesASurfaceOrAReaderMessage)
{
    const std::string data = MASUME_PICTURE_DATA;
    const struct
    {
        PictureKind kind;
        std::vector<std::string> seeds;
        uint32_t variants;
    } kinds[] = {
        {PictureKind::Bitmap, filesIn(Fixtures + "/bmpsuite", ".bmp"), 16},
        {PictureKind::Jpeg, filesIn(Fixtures + "/jpeg", ".jpg"), 24},
        {PictureKind::Icon, filesIn(data, ".ico"), 300},
        {PictureKind::Metafile, filesIn(data, ".wmf"), 300},
        {PictureKind::Metafile, filesIn(data, ".emf"), 300},
    };
    FuzzLimit limit;
    for (const auto &k : kinds) {
        // Replaying nothing would prove nothing.
        ASSERT_FALSE(k.seeds.empty());
        size_t replayed = 0;
        for (const std::string &seed : k.seeds) {
            const std::vector<uint8_t> file = fileBytes(seed);
            for (uint32_t n = 1; n <= k.variants; ++n, ++replayed)
                EXPECT_EQ(check(k.kind, mutated(file, n)), "")
                    << fs::path(seed).filename().string() << ", variant " << n;
        }
        EXPECT_GE(replayed, 300u);
    }
}

TEST(FuzzFindings, AMadeCorpusOfPngFilesGivesRowsOrAReaderMessage)
{
    TempDir made;
    ASSERT_TRUE(makePngCases(made.path().string()));
    const std::vector<std::string> seeds = filesIn(made.path().string(), ".png");
    ASSERT_FALSE(seeds.empty());
    FuzzLimit limit;
    size_t replayed = 0;
    for (const std::string &seed : seeds) {
        const std::vector<uint8_t> file = fileBytes(seed);
        for (uint32_t n = 1; n <= 24; ++n, ++replayed)
            EXPECT_EQ(checkPng(mutated(file, n)), "")
                << fs::path(seed).filename().string() << ", variant " << n;
    }
    EXPECT_GE(replayed, 3000u);
}

// The Exif blocks of fuzz_exif's seeds changed in the same ways.
TEST(FuzzFindings, AMadeCorpusOfExifBlocksGivesAnOrientation)
{
    const std::vector<std::string> seeds = filesIn(MASUME_EXIF_SEEDS, ".bin");
    ASSERT_FALSE(seeds.empty());
    for (const std::string &seed : seeds) {
        const std::vector<uint8_t> block = fileBytes(seed);
        EXPECT_GT(exifOrientation(block), 1) << seed;
        for (uint32_t n = 1; n <= 3000; ++n)
            EXPECT_EQ(checkExif(mutated(block, n)), "")
                << fs::path(seed).filename().string() << ", variant " << n;
    }
}
