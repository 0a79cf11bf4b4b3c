// The streamed road of masume-batch (rows decoded, gridded and encoded band
// by band, on one thread or two) against the desktop chain (the picture
// opened into surfaces, composed, saved): the same file byte for byte over
// a table of kinds, sizes, pictures, formats and settings.

#include "Canvas/WindowlessChain.h"
#include "batch/BandPipeline.h"
#include "batch/BatchProcess.h"
#include "batch/StreamedPicture.h"
#include "common/Error.h"
#include "picture/PictureFile.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace masume;
using namespace masume::test;

namespace {

struct Settings
{
    int32_t kind, a, b;
    bool withGrid = true;
    Colour colour = rgb(0x12, 0xAB, 0x3C);
};

// The file the desktop program saves: the grid window set, the picture
// opened through the main window's command, then saved under `output`.
// Returns the error message, empty when written.
std::string desktopSave(const std::string &input, const Settings &s, const std::string &output)
{
    try {
        WindowlessChain chain(s.a, s.b);
        chain.grid.setGridKind(s.kind);
        chain.grid.setGridColour(s.colour);
        UnattendedHost host(s.withGrid);
        PictureCommands commands(chain.canvas, host);
        commands.OpenPicture1Accept(input);
        commands.SaveAsPicture1Accept(output);
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

std::string streamedSave(const std::string &input, const Settings &s, const std::string &output,
                         int threads)
{
    batch::BatchOptions options;
    options.kind = s.kind;
    options.sizeH = s.a;
    options.sizeV = s.b;
    options.colour = s.colour;
    options.withGrid = s.withGrid;
    try {
        batch::streamPicture(options, input, output, threads);
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

// Both roads on one input; the outputs compared and removed.
void expectSameFile(const Folder &folder, const std::string &input, const Settings &s,
                    const std::string &extension, int threads)
{
    const std::string desktop = folder / ("desktop" + extension);
    const std::string streamed = folder / ("streamed" + extension);
    const std::string desktopError = desktopSave(input, s, desktop);
    const std::string streamedError = streamedSave(input, s, streamed, threads);
    ASSERT_EQ(streamedError, desktopError);
    if (desktopError.empty()) {
        ASSERT_TRUE(bytesOf(streamed) == bytesOf(desktop));
    } else {
        EXPECT_FALSE(fs::exists(streamed));
    }
    fs::remove(desktop);
    fs::remove(streamed);
}

// A picture of seeded random colours, written as BMP or JPEG.
std::string writePicture(const Folder &folder, int w, int h, const std::string &extension)
{
    std::mt19937 rng(unsigned(w * 7919 + h));
    const Surface s = test::randomSurface(w, h, PixelFormat::Rgb24, rng);
    const std::string name
        = folder / ("in-" + std::to_string(w) + "x" + std::to_string(h) + extension);
    if (extension == ".jpg")
        writeJpegFile(s, name);
    else
        writeBmpFile(s, name);
    return name;
}

const std::pair<int, int> Pictures[]
    = {{1, 1}, {2, 2}, {7, 3}, {37, 29}, {301, 5}, {5, 301}, {1000, 700}};

std::string describe(const Settings &s, const std::string &input, int threads)
{
    return "kind " + std::to_string(s.kind) + ", " + std::to_string(s.a) + " x "
        + std::to_string(s.b) + (s.withGrid ? "" : ", without grid") + ", "
        + fs::path(input).filename().string() + ", " + std::to_string(threads) + " thread(s)";
}

} // namespace

// Every kind code (those that draw nothing too), sizes of 1, 2, 7, 32,
// negative, mixed, beyond the picture and the largest, on pictures from
// 1 x 1 to several bands with odd sides; BMP in and out, on one thread and
// on two in turn.
TEST(StreamedRoad, EveryKindAndSizeAsTheDesktopSaves)
{
    Folder folder;
    const std::pair<int32_t, int32_t> sizes[]
        = {{1, 1}, {2, 2}, {7, 7}, {32, 32}, {-5, 7}, {7, -3}, {1200, 800}, {INT_MAX, 3}};
    int threads = 1;
    for (auto [w, h] : Pictures) {
        const std::string input = writePicture(folder, w, h, ".bmp");
        for (int32_t kind = 0; kind <= 7; ++kind)
            for (auto [a, b] : sizes) {
                const Settings s {kind, a, b};
                threads = 3 - threads;
                SCOPED_TRACE(describe(s, input, threads));
                expectSameFile(folder, input, s, ".bmp", threads);
            }
    }
}

// Both formats both ways, with and without the grid, every kind, on one
// thread and on two.
TEST(StreamedRoad, BothFormatsBothWays)
{
    Folder folder;
    for (const char *in : {".bmp", ".jpg"})
        for (auto [w, h] : {std::pair {37, 29}, std::pair {1000, 700}}) {
            const std::string input = writePicture(folder, w, h, in);
            for (const char *out : {".bmp", ".jpg", ".JPEG", ""})
                for (int32_t kind : {0, 3, 6})
                    for (bool withGrid : {true, false})
                        for (int threads : {1, 2}) {
                            const Settings s {kind, 6, 5, withGrid};
                            SCOPED_TRACE(describe(s, input, threads) + " to " + out);
                            expectSameFile(folder, input, s, out, threads);
                        }
        }
}

// Failures give the desktop's message and write nothing: a size of 0 (also
// when the grid is not saved), a name the reader table does not know, a
// file that is no picture of its kind, a missing file, an output that is a
// folder. (Names of other extensions are masume-batch's own: told by their
// content.)
TEST(StreamedRoad, FailuresAsTheDesktopGivesThem)
{
    Folder folder;
    const std::string bmp = writePicture(folder, 37, 29, ".bmp");
    const std::string jpg = writePicture(folder, 37, 29, ".jpg");
    std::ofstream(folder / "bad.jpg") << "not a JPEG file";
    std::ofstream(folder / "bad.bmp") << "BM not a bitmap";
    std::ofstream(folder / "a.gif") << "whatever";
    for (const std::string &input :
         {bmp, jpg, folder / "bad.jpg", folder / "bad.bmp", folder / "a.gif", folder / "none.jpg"})
        for (const Settings &s :
             {Settings {2, 0, 5}, Settings {6, 4, 0, false}, Settings {3, 4, 4}})
            for (int threads : {1, 2}) {
                SCOPED_TRACE(describe(s, input, threads));
                expectSameFile(folder, input, s, ".bmp", threads);
            }
    fs::create_directory(folder / "dir");
    EXPECT_EQ(streamedSave(bmp, {2, 4, 4}, folder / "dir", 2),
              desktopSave(bmp, {2, 4, 4}, folder / "dir"));
}

// Every file of the BMP suite, good, questionable and bad (bottom-up and
// top-down, every depth, bit fields, run-length coding, damaged headers
// and cut pixels), and every shared JPEG file: the same file or the same
// message on both roads.
TEST(StreamedRoad, EverySharedPictureFileAsTheDesktopSavesIt)
{
    Folder folder;
    const std::string fixtures = MASUME_FIXTURES;
    int compared = 0;
    for (const std::string sub : {"/bmpsuite/g", "/bmpsuite/q", "/bmpsuite/b", "/jpeg"})
        for (const auto &entry : fs::directory_iterator(fixtures + sub)) {
            const std::string input = entry.path().string();
            const std::string extension = entry.path().extension().string();
            if (extension != ".bmp" && extension != ".jpg")
                continue;
            const Settings s {compared % 2 ? 6 : 2, 7, 5};
            const int threads = 1 + compared % 2;
            SCOPED_TRACE(describe(s, input, threads));
            expectSameFile(folder, input, s, ".bmp", threads);
            ++compared;
        }
    EXPECT_GT(compared, 120);
}
