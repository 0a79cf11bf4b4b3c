// Every allocation along a user's road fails in turn: opening a picture,
// choosing another grid, saving over an old file, as BMP and as JPEG. Each
// failure must be reported as "メモリが不足しています" and leave everything as
// it was before the step that failed: every surface, the view, the file name
// (but for a ".bmp" already appended) and the old file, with nothing beside
// it. The test program's allocator fails the n-th allocation for n = 1, 2,
// ... until the road runs through without one.

#include "Canvas/PictureCommands.h"
#include "Canvas/WindowlessChain.h"
#include "batch/StreamedPicture.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/ExifTestSupport.h"
#include "picture/JpegTestSupport.h"
#include "picture/PictureFile.h"
#include "picture/PictureTestSupport.h"
#include "raster/PixelBuffer.h"
#include "support/FailingAllocations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iostream>
#include <jerror.h>
#include <map>
#include <new>
#include <sstream>

using namespace masume;
using namespace masume::test;

namespace {

struct SurfaceNote
{
    int width = 0, height = 0;
    PixelFormat format = PixelFormat::Rgb24;
    Colour pen = 0, brush = 0;
    std::vector<Colour> pixels;
    bool operator==(const SurfaceNote &) const = default;
};

// Reads through pixel(), which neither allocates nor changes how the surface
// holds its pixels, so that the note does not alter the road it watches.
SurfaceNote noteOf(const Surface &s)
{
    SurfaceNote n {s.width(), s.height(), s.pixelFormat(), s.penColor(), s.brushColor(), {}};
    n.pixels.reserve(size_t(s.width()) * size_t(s.height()));
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            n.pixels.push_back(s.pixel(x, y));
    return n;
}

struct ChainNote
{
    std::map<std::string, SurfaceNote> surfaces;
    int viewWidth = 0, viewHeight = 0;
    std::string fileName;

    // The names of what differs from other, "" when nothing does.
    std::string differences(const ChainNote &other) const
    {
        std::string out;
        for (const auto &[name, note] : surfaces)
            if (!(note == other.surfaces.at(name)))
                out += " " + name;
        if (viewWidth != other.viewWidth || viewHeight != other.viewHeight)
            out += " view size";
        if (fileName != other.fileName)
            out += " PictureFileName (" + fileName + " / " + other.fileName + ")";
        return out;
    }
};

ChainNote noteOf(const WindowlessChain &c)
{
    ChainNote n;
    n.surfaces = {
        {"Layers[0]", noteOf(c.canvas.Layers()[0])},
        {"Compounds[0]", noteOf(c.canvas.Compounds()[0])},
        {"Compounds[1]", noteOf(c.canvas.Compounds()[1])},
        {"GridMask", noteOf(c.grid.GridMask())},
        {"ColorLayer", noteOf(c.grid.ColorLayer())},
        {"shown", noteOf(c.view.picture())},
    };
    n.viewWidth = c.view.width();
    n.viewHeight = c.view.height();
    n.fileName = c.canvas.PictureFileName();
    return n;
}

// The message of a failed step, as the error box and masume-batch show it.
std::string messageOf(const std::function<void()> &step, bool &failed)
{
    failed = true;
    try {
        step();
    } catch (const Error &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return msg::OutOfMemory;
    }
    failed = false;
    return {};
}

const std::vector<uint8_t> OldContent
    = {'t', 'h', 'e', ' ', 'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

// One user's road in a fresh folder: a picture open with a square grid,
// then "second.<ext>" opened, the grid made diamond and the result saved
// over an old "out.<ext>" (as "out", which becomes "out.bmp", for BMP).
class Road
{
public:
    explicit Road(const std::string &ext)
        : m_ext(ext)
        , m_second(m_dir.file("second." + ext))
        , m_target(m_dir.file(ext == "bmp" ? "out" : "out." + ext))
        , m_written(m_dir.file("out." + ext))
    {
        writeBmpFile(photoLike(23, 17, 1), m_dir.file("first.bmp"));
        const Surface second = photoLike(200, 150, 2);
        if (ext == "bmp")
            writeBmpFile(second, m_dir.file("second.bmp"));
        else
            writeJpegFile(second, m_dir.file("second.jpg"));
        writeBytes(m_dir.file("out." + ext), OldContent);
        chain.grid.setGridKind(2);
        chain.grid.setGridColour(0x2060C0);
        m_commands.OpenPicture1Accept(m_dir.file("first.bmp"));
        m_names = m_dir.names();
    }

    struct Step
    {
        const char *name;
        std::function<void()> run;
    };
    std::vector<Step> steps()
    {
        return {
            {"open", [this] { m_commands.OpenPicture1Accept(m_second); }},
            {"DrawGLine", [this] { chain.grid.GridTypeExecute(3); }},
            {"save", [this] { m_commands.SaveAsPicture1Accept(m_target); }},
        };
    }

    std::vector<uint8_t> saved() const { return fileBytes(m_written); }
    std::vector<std::string> names() const { return m_dir.names(); }
    const std::vector<std::string> &namesAtStart() const { return m_names; }

    // Whether a failed step left PictureFileName as it may: opening takes
    // the new name first (unless taking it failed), Save As likewise, and
    // saving may have appended ".bmp".
    bool nameMayBe(const char *step, const std::string &before, const std::string &after) const
    {
        if (after == before)
            return true;
        if (std::string(step) == "open")
            return after == m_second;
        if (std::string(step) == "save")
            return after == m_target || after == m_written;
        return false;
    }

    TempDir m_dir;
    WindowlessChain chain {8, 6};

private:
    std::string m_ext, m_second, m_target, m_written;
    UnattendedHost m_host;
    PictureCommands m_commands {chain.canvas, m_host};
    std::vector<std::string> m_names;
};

void runEveryFailure(const std::string &ext)
{
    // The road without failures, for what a completed road leaves.
    ChainNote expectedEnd;
    std::vector<uint8_t> expectedFile;
    {
        Road road(ext);
        for (const auto &step : road.steps())
            step.run();
        expectedEnd = noteOf(road.chain);
        expectedEnd.fileName = "out." + ext;
        expectedFile = road.saved();
        ASSERT_NE(expectedFile, OldContent);
    }

    // What went wrong, as "allocation N, STEP: what"; the first few are shown.
    std::vector<std::string> problems;
    uint64_t n = 1;
    for (;; ++n) {
        Road road(ext);
        const auto steps = road.steps();
        const char *failedStep = nullptr;
        std::string where;
        const auto problem = [&](const std::string &what) {
            problems.push_back("allocation " + std::to_string(n) + ", " + where + ": " + what);
        };
        failNthAllocation(n);
        for (const auto &step : steps) {
            pauseAllocationCount(true);
            const ChainNote before = noteOf(road.chain);
            pauseAllocationCount(false);
            bool failed = false;
            const std::string message = messageOf(step.run, failed);
            if (!failed)
                continue;
            stopFailingAllocations();
            failedStep = step.name;
            where = step.name;
            if (!anAllocationFailed())
                problem("an error without a failed allocation: " + message);
            if (message != msg::OutOfMemory)
                problem("the message " + message);
            ChainNote after = noteOf(road.chain);
            if (!road.nameMayBe(step.name, before.fileName, after.fileName))
                problem("PictureFileName became " + after.fileName);
            after.fileName = before.fileName;
            if (const std::string changed = after.differences(before); !changed.empty())
                problem("changed" + changed);
            if (road.saved() != OldContent)
                problem("the old file changed");
            if (road.names() != road.namesAtStart())
                problem("the folder holds other files");
            break;
        }
        stopFailingAllocations();
        if (!failedStep) {
            // A failure the code took back (a retry) must not show; no
            // failure at all means every allocation of the road was tried.
            where = "retried";
            ChainNote end = noteOf(road.chain);
            end.fileName = expectedEnd.fileName; // in another folder
            if (const std::string changed = end.differences(expectedEnd); !changed.empty())
                problem("the road ended otherwise:" + changed);
            if (road.saved() != expectedFile)
                problem("another file was saved");
            if (!anAllocationFailed())
                break;
        }
    }
    std::string shown;
    for (size_t i = 0; i < problems.size() && i < 12; ++i)
        shown += "\n  " + problems[i];
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems:" << shown;
    // The road allocates: else this test would prove nothing.
    EXPECT_GT(n, 40u) << ext;
    std::cout << ext << ": each of " << n - 1 << " allocations failed in turn\n";
}

} // namespace

TEST(AllocationFaults, EveryFailureOnTheRoadToABmpFileLeavesAllAsItWas)
{
    runEveryFailure("bmp");
}

TEST(AllocationFaults, EveryFailureOnTheRoadToAJpegFileLeavesAllAsItWas)
{
    runEveryFailure("jpg");
}

// Memory: from a JPEG file to a JPEG file with a grid, the picture is held
// once. Opening takes one block of the picture's size (the background);
// the mask is a third of it; the composite with grid is a record of blits
// and saving reads it row by row, so neither takes another.
TEST(AllocationFaults, TheRoadFromJpegToJpegTakesOnePictureSizedBlock)
{
    const int w = 1000, h = 800;
    const size_t pictureBytes = size_t(Surface::rowBytes(w, PixelFormat::Rgb24)) * h;
    TempDir dir;
    writeJpegFile(photoLike(w, h, 3), dir.file("in.jpg"));
    WindowlessChain chain;
    chain.grid.setGridKind(GridKinds::Square);
    UnattendedHost host;
    PictureCommands commands(chain.canvas, host);
    PixelBuffer::releasePool(); // every block is taken from the allocator

    failAllocationsOfAtLeast(pictureBytes, UINT64_MAX); // counts, fails none
    commands.OpenPicture1Accept(dir.file("in.jpg"));
    commands.SaveAsPicture1Accept(dir.file("out.jpg"));
    commands.SaveAsPicture1Accept(dir.file("out.bmp"));
    EXPECT_EQ(stopFailingAllocations(), 1u);
    EXPECT_EQ(makeSurface(readPicture(dir.file("out.bmp"))).width(), w);
}

// A photo stored turned a quarter takes no more: its rows are turned into
// the background while they are decoded, through a band of a few rows.
TEST(AllocationFaults, ATurnedPhotoTakesOnePictureSizedBlock)
{
    const int w = 1000, h = 800;
    const size_t pictureBytes = size_t(Surface::rowBytes(h, PixelFormat::Rgb24)) * w;
    TempDir dir;
    writeJpegFile(photoLike(w, h, 4), dir.file("stored.jpg"));
    writeBytes(dir.file("turned.jpg"),
               withApp1(fileBytes(dir.file("stored.jpg")), exifBlock(true, {orientationEntry(6)})));
    PixelBuffer::releasePool();

    failAllocationsOfAtLeast(pictureBytes, UINT64_MAX); // counts, fails none
    const Surface upright = makeSurface(readPicture(dir.file("turned.jpg")));
    EXPECT_EQ(stopFailingAllocations(), 1u);
    EXPECT_EQ(upright.width(), h);
    EXPECT_EQ(upright.height(), w);
}

// A progressive file is read whole before its picture is allocated: one
// that fails in a later scan (a scan that names a Huffman table never
// defined) takes no block of the picture's size, only the message.
TEST(AllocationFaults, AMultiScanFileFailingInALaterScanTakesNoPictureSizedBlock)
{
    const Picture damaged
        = readPicture(Fixtures + "/jpeg/its-d085a42245996e5750a30ccb48791bcf.jpg");
    const size_t pictureBytes
        = size_t(Surface::rowBytes(damaged.width(), PixelFormat::Rgb24)) * size_t(damaged.height());
    PixelBuffer::releasePool();

    failAllocationsOfAtLeast(pictureBytes); // fails every one
    std::string message;
    try {
        makeSurface(damaged);
    } catch (const Error &e) {
        message = e.what();
    } catch (const std::bad_alloc &) {
        message = "std::bad_alloc";
    }
    stopFailingAllocations();
    EXPECT_EQ(message, jpegError(JERR_NO_HUFF_TABLE));
    EXPECT_FALSE(anAllocationFailed());
}

namespace {

// masume-batch's road: a picture passed on as rows from `in` to `out` over
// an old file, on one thread or two. Every allocation on it fails in turn;
// each run ends with the complete file or with "メモリが不足しています", the
// old file kept and nothing beside it. (On two threads the n-th allocation
// may fall on either side: every outcome must be one of these.)
void runEveryStreamedFailure(const std::string &in, const std::string &out, int threads)
{
    TempDir dir;
    const std::string input = dir.file("in." + in);
    // Three bands of rows, so that two threads pass them on.
    const Surface picture = photoLike(300, 700, 4);
    if (in == "jpg")
        writeJpegFile(picture, input);
    else
        writeBmpFile(picture, input);
    const std::string target = dir.file("out." + out);
    batch::BatchOptions options;
    options.kind = GridKinds::HexRows;
    options.sizeH = 9;
    options.sizeV = 7;
    options.colour = 0x2060C0;
    writeBytes(target, OldContent);
    batch::streamPicture(options, input, target, threads);
    const std::vector<uint8_t> expected = fileBytes(target);
    const std::vector<std::string> names = dir.names();

    // Made before the allocations are counted: it allocates itself.
    const std::function<void()> road
        = [&] { batch::streamPicture(options, input, target, threads); };
    std::vector<std::string> problems;
    uint64_t n = 1;
    for (;; ++n) {
        writeBytes(target, OldContent);
        failNthAllocation(n);
        bool failed = false;
        const std::string message = messageOf(road, failed);
        stopFailingAllocations();
        const std::string where = "allocation " + std::to_string(n) + ": ";
        if (failed && message != msg::OutOfMemory)
            problems.push_back(where + "the message " + message);
        if (failed && fileBytes(target) != OldContent)
            problems.push_back(where + "the old file changed");
        if (!failed && fileBytes(target) != expected)
            problems.push_back(where + "another file was written");
        if (dir.names() != names)
            problems.push_back(where + "the folder holds other files");
        if (!failed && !anAllocationFailed())
            break;
    }
    std::string shown;
    for (size_t i = 0; i < problems.size() && i < 12; ++i)
        shown += "\n  " + problems[i];
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems:" << shown;
    EXPECT_GT(n, 10u);
    std::cout << in << " to " << out << " on " << threads << " thread(s): each of " << n - 1
              << " allocations failed in turn\n";
}

} // namespace

TEST(AllocationFaults, EveryFailureOnTheStreamedRoadKeepsTheOldFile)
{
    for (int threads : {1, 2}) {
        runEveryStreamedFailure("jpg", "jpg", threads);
        runEveryStreamedFailure("jpg", "bmp", threads);
        runEveryStreamedFailure("bmp", "jpg", threads);
    }
}

// Memory: the streamed road from a JPEG or a bottom-up BMP file (read from
// its end) to a JPEG or BMP file holds a few bands of rows, never a block of
// a quarter of the picture's size.
TEST(AllocationFaults, TheStreamedRoadTakesNoPictureSizedBlock)
{
    const int w = 1000, h = 1600;
    const size_t pictureBytes = size_t(w) * 3 * h;
    TempDir dir;
    const Surface picture = photoLike(w, h, 3);
    writeJpegFile(picture, dir.file("in.jpg"));
    writeBmpFile(picture, dir.file("in.bmp"));
    batch::BatchOptions options;
    options.kind = GridKinds::Diamond;
    for (const char *in : {"in.jpg", "in.bmp"})
        for (const char *out : {"out.jpg", "out.bmp"})
            for (int threads : {1, 2}) {
                PixelBuffer::releasePool();
                failAllocationsOfAtLeast(pictureBytes / 4, UINT64_MAX); // counts, fails none
                batch::streamPicture(options, dir.file(in), dir.file(out), threads);
                EXPECT_EQ(stopFailingAllocations(), 0u) << in << " to " << out << " on " << threads;
            }
}
