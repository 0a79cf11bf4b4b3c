// Every allocation of reading and writing PNG files fails in turn, the
// library's and zlib's among them: each failure must come out as
// "メモリが不足しています" (or std::bad_alloc, which the program shows the
// same), never as a PNG error, a crash or a leak; once none fails, the
// pixels are right. And a header beyond the memory guard is refused before
// anything of the picture's size is asked for.

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/ByteSink.h"
#include "picture/PictureFile.h"
#include "picture/PngTestSupport.h"
#include "picture/PngWriter.h"
#include "support/FailingAllocations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>

using namespace masume;
using namespace masume::test;

namespace {

// The message a step ends with, "" when it runs through.
std::string messageOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Error &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return msg::OutOfMemory;
    }
    return {};
}

// Runs step with its n-th allocation failing, n = 1, 2, ... until it runs
// through; each failure must give the memory message, or be one the
// libraries recover from (one of zlib's is): then `result` must say the
// outcome is right (""). Returns the failures that gave something else,
// as "allocation N: what".
std::vector<std::string> failEachAllocation(const std::function<void()> &step,
                                            const std::function<std::string()> &result)
{
    std::vector<std::string> wrong;
    for (uint64_t n = 1; n < 100000; ++n) {
        failNthAllocation(n);
        const std::string message = messageOf(step);
        stopFailingAllocations();
        if (!anAllocationFailed()) {
            if (!message.empty())
                wrong.push_back("without failures: " + message);
            else if (const std::string r = result(); !r.empty())
                wrong.push_back("without failures: " + r);
            return wrong;
        }
        if (message.empty()) {
            if (const std::string r = result(); !r.empty())
                wrong.push_back("allocation " + std::to_string(n) + ", no error: " + r);
        } else if (message != msg::OutOfMemory) {
            wrong.push_back("allocation " + std::to_string(n) + ": " + message);
        }
    }
    wrong.push_back("never ran through");
    return wrong;
}

// Bytes into a block allocated beforehand, so that the sink allocates
// nothing while the writer runs.
class FixedSink final : public ByteSink
{
public:
    explicit FixedSink(size_t capacity)
        : m_bytes(capacity)
    {
    }
    bool tryWrite(const void *data, size_t bytes) noexcept override
    {
        if (bytes > m_bytes.size() - m_used)
            return false;
        std::memcpy(m_bytes.data() + m_used, data, bytes);
        m_used += bytes;
        return true;
    }
    std::vector<uint8_t> bytes() const
    {
        return {m_bytes.begin(), m_bytes.begin() + ptrdiff_t(m_used)};
    }
    void clear() { m_used = 0; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_used = 0;
};

// The guard's own limit, so that the guard asks the system nothing (what
// it reads there it reads without raising).
struct PixelLimit
{
    PixelLimit() { setPicturePixelLimit(uint64_t(1) << 30); }
    ~PixelLimit() { setPicturePixelLimit(0); }
};

} // namespace

TEST(PngAllocationFaults, ReadingReportsEveryFailureAsMemory)
{
    const PixelLimit limit;
    TempDir made;
    ASSERT_TRUE(makePngCases(made.path().string()));
    // Row by row and held whole, 16 bits, palettes with tRNS, chunks left
    // out before the library, image data in many chunks.
    for (const char *name : {"rgb8n", "rgba16i", "palette4i-trns", "grey2n-trns", "chunk-text",
                             "chunk-profile", "idat-one-byte"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> file = fileBytes(made.file(std::string(name) + ".png"));
        const Surface expected = decodePng(file);
        Surface got;
        const auto right = [&]() -> std::string {
            if (got.width() != expected.width() || got.height() != expected.height())
                return "another size";
            for (int y = 0; y < got.height(); ++y)
                for (int x = 0; x < got.width(); ++x)
                    if (got.pixel(x, y) != expected.pixel(x, y))
                        return "other pixels";
            return "";
        };
        EXPECT_EQ(failEachAllocation([&] { got = decodePng(file); }, right),
                  std::vector<std::string> {});
    }
}

TEST(PngAllocationFaults, WritingReportsEveryFailureAsMemory)
{
    const Surface picture = photoLike(120, 90, 4);
    FixedSink sink(1 << 20);
    for (const PngColour colour : {PngColour::Rgb, PngColour::Rgba}) {
        std::vector<uint8_t> row(120 * 4);
        const auto write = [&] {
            sink.clear();
            PngEncoder encoder(sink, 120, 90, colour);
            for (int y = 0; y < 90; ++y) {
                const uint8_t *in = picture.constScanLine(y);
                for (int x = 0; x < 120; ++x)
                    for (int c = 0; c < 4; ++c)
                        row[size_t(x) * 4 + c] = c < 3 ? in[3 * x + c] : uint8_t(x * 2);
                encoder.writeRow(colour == PngColour::Rgb ? in : row.data());
            }
            encoder.finish();
        };
        write();
        const std::vector<uint8_t> expected = sink.bytes();
        const auto right
            = [&]() -> std::string { return sink.bytes() == expected ? "" : "other bytes"; };
        EXPECT_EQ(failEachAllocation(write, right), std::vector<std::string> {});
    }
}

// The library's context and its read buffer are small; the first block of
// the picture's size would be the decoder's row (300 KB here).
TEST(PngAllocationFaults, AHeaderBeyondTheGuardAllocatesNothingOfThePicturesSize)
{
    setPicturePixelLimit(1000);
    const std::vector<uint8_t> file = pngFile({ihdr(100000, 100000, 8, 2),
                                               {"IDAT", zlibStored(std::vector<uint8_t>(1000, 0))},
                                               {"IEND", {}}});
    failAllocationsOfAtLeast(64 << 10);
    const std::string message = messageOf([&] { decodePng(file); });
    stopFailingAllocations();
    setPicturePixelLimit(0);
    EXPECT_EQ(message, msg::OutOfMemory);
    EXPECT_FALSE(anAllocationFailed());
}
