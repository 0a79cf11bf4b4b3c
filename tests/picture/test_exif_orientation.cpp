// The Exif parser alone: blocks written by exiftool in both byte orders,
// and damaged blocks written byte by byte, which count as orientation 1.

#include "ExifTestSupport.h"
#include "picture/ExifOrientation.h"

#include <gtest/gtest.h>

using namespace masume;
using namespace masume::test;

namespace {

int orientationOf(const std::vector<uint8_t> &block)
{
    return exifOrientation(std::span<const uint8_t>(block.data(), block.size()));
}

// A block as exiftool writes it: the orientation among four other entries
// of the first directory.
std::vector<ExifEntry> withNeighbours(ExifEntry orientation)
{
    return {
        {0x010F, 2, 4, 0}, orientation, {0x011A, 5, 1, 0}, {0x0128, 3, 1, 2}, {0x0213, 3, 1, 1}};
}

} // namespace

TEST(ExifOrientation, BlocksThatExiftoolWrites)
{
    TempDir dir;
    writeBlockPicture(dir, "p.jpg", 2, 1);
    for (const std::string order : {"II", "MM"})
        for (int n = 1; n <= 8; ++n) {
            SCOPED_TRACE(order + " " + std::to_string(n));
            const std::string file = dir.file("p.jpg");
            ASSERT_TRUE(tagOrientation(file, n, order));
            const auto blocks = app1Payloads(fileBytes(file));
            ASSERT_EQ(blocks.size(), 1u);
            EXPECT_TRUE(isExifBlock(blocks[0]));
            EXPECT_EQ(orientationOf(blocks[0]), n);
            // Cut anywhere, the block gives its orientation or 1, and
            // its orientation once the first directory is whole.
            for (size_t cut = 0; cut < blocks[0].size(); ++cut) {
                const std::vector<uint8_t> part(blocks[0].begin(),
                                                blocks[0].begin() + ptrdiff_t(cut));
                const int o = orientationOf(part);
                EXPECT_TRUE(o == 1 || o == n) << "cut at " << cut << ": " << o;
            }
        }
}

TEST(ExifOrientation, EveryValueInBothByteOrders)
{
    for (bool bigEndian : {false, true})
        for (uint32_t value : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 0x100u, 0x600u, 0xFFFFu}) {
            const int expected = value >= 1 && value <= 8 ? int(value) : 1;
            EXPECT_EQ(orientationOf(exifBlock(bigEndian, withNeighbours(orientationEntry(value)))),
                      expected)
                << value << (bigEndian ? " MM" : " II");
        }
}

TEST(ExifOrientation, DamagedOrForeignBlocksCountAsOne)
{
    struct Case
    {
        const char *what;
        std::vector<uint8_t> block;
    };
    const auto good
        = [](bool bigEndian) { return exifBlock(bigEndian, withNeighbours(orientationEntry(6))); };
    std::vector<Case> cases;
    const auto add = [&](const char *what, std::vector<uint8_t> block) {
        cases.push_back({what, std::move(block)});
    };
    const auto changed = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = good(false);
        std::copy(bytes.begin(), bytes.end(), b.begin() + ptrdiff_t(at));
        return b;
    };
    add("empty", {});
    add("no Exif prefix", changed(0, {'E', 'x', 'i', 'F'}));
    add("prefix without its second zero", changed(5, {0xFF}));
    add("no byte order", changed(6, {'I', 'M'}));
    add("byte order against the 42", changed(6, {'M', 'M'}));
    add("not 42", changed(8, {43}));
    add("directory inside the header", changed(10, {4, 0, 0, 0}));
    add("directory beyond the block", changed(10, {0xF0, 0, 0, 0}));
    add("directory offset of 4 GB", changed(10, {0xFF, 0xFF, 0xFF, 0xFF}));
    add("huge count", changed(14, {0xFF, 0xFF}));
    add("count one beyond the block", changed(14, {6, 0}));
    add("type LONG", exifBlock(false, {{0x0112, 4, 1, 6}}));
    add("count 2", exifBlock(false, {{0x0112, 3, 2, 6}}));
    add("count 0", exifBlock(false, {{0x0112, 3, 0, 6}}));
    add("count 4 G", exifBlock(true, {{0x0112, 3, 0xFFFFFFFF, 6}}));
    add("a first entry of another type wins over a good second",
        exifBlock(false, {{0x0112, 4, 1, 6}, orientationEntry(6)}));
    add("no directory entries", exifBlock(true, {}));
    add("the tag in the next directory only", [] {
        // The first directory links to a second one that holds it.
        std::vector<uint8_t> first = exifBlock(false, {{0x010F, 2, 4, 0}}, 8, 26);
        const std::vector<uint8_t> second = exifBlock(false, {orientationEntry(6)});
        first.insert(first.end(), second.begin() + 14, second.end());
        return first;
    }());
    add("the next directory is the first again", exifBlock(false, {{0x010F, 2, 4, 0}}, 8, 8));
    std::vector<uint8_t> cut = good(true);
    cut.resize(cut.size() - 4 - 3 * 12 - 1); // inside the orientation's entry
    add("cut inside the entry", cut);

    for (const Case &c : cases)
        EXPECT_EQ(orientationOf(c.block), 1) << c.what;
    // The good blocks those were made from.
    EXPECT_EQ(orientationOf(good(false)), 6);
    EXPECT_EQ(orientationOf(good(true)), 6);
}

// A directory at an odd offset, after other data, and one whose entries
// reach exactly to the block's end (no next-directory offset) still count.
TEST(ExifOrientation, DirectoriesAnywhereInsideTheBlock)
{
    EXPECT_EQ(orientationOf(exifBlock(false, {orientationEntry(3)}, 301)), 3);
    std::vector<uint8_t> tight = exifBlock(true, withNeighbours(orientationEntry(8)));
    tight.resize(tight.size() - 4);
    EXPECT_EQ(orientationOf(tight), 8);
}
