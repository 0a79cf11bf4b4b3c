// masume-batch run as a program: its pictures against the desktop chain's,
// its reports, its exit statuses and its refusals.

#include "Canvas/WindowlessChain.h"
#include "Grid/GridKinds.h"
#include "batch/BatchOptions.h"
#include "batch/BatchProcess.h"
#include "batch/BatchTexts.h"
#include "batch/PictureSizeProbe.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/ExifTestSupport.h"
#include "picture/PictureFile.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace masume;
using namespace masume::test;
namespace fs = std::filesystem;

namespace {

// What the desktop program shows and saves for a picture file: the grid
// window set to the given settings, then the file opened through the main
// window's opening command.
std::array<Surface, 2> desktopComposites(const std::string &input, int32_t kind, int32_t a,
                                         int32_t b, Colour colour)
{
    WindowlessChain chain;
    chain.grid.setGridKind(kind);
    chain.grid.setSizeH(a);
    chain.grid.setSizeV(b);
    chain.grid.setGridColour(colour);
    UnattendedHost host;
    PictureCommands(chain.canvas, host).OpenPicture1Accept(input);
    return chain.canvas.Compounds();
}

Surface readBack(const std::string &name)
{
    Surface s = makeSurface(readPicture(name));
    s.convertTo24();
    return s;
}

// A 37 x 29 picture of seeded random colours, so that every grid pixel and
// every pixel between tells.
std::string writeRandomPicture(const Folder &folder, const std::string &name, unsigned seed = 7)
{
    std::mt19937 rng(seed);
    const Surface s = test::randomSurface(37, 29, PixelFormat::Rgb24, rng);
    writeBmpFile(s, folder / name);
    return folder / name;
}

std::string line(const std::string &file, const std::string &message)
{
    return "masume-batch: " + file + ": " + message + "\n";
}

const std::string bmpsuite = std::string(MASUME_FIXTURES) + "/bmpsuite";
const std::string jpegs = std::string(MASUME_FIXTURES) + "/jpeg";

} // namespace

// Every kind, by name and by code, with odd sizes and a colour whose three
// channels differ.
TEST(BatchPictures, EveryKindMatchesTheDesktopChain)
{
    struct Case
    {
        std::string kind;
        int32_t code;
        std::string size;
        int32_t a, b;
    };
    const std::vector<Case> cases = {
        {"none", 0, "5x4", 5, 4},
        {"1", 1, "5x4", 5, 4},
        {"square", 2, "5x4", 5, 4},
        {"diamond", 3, "9x6", 9, 6},
        {"rows", 4, "7x5", 7, 5},
        {"columns", 5, "$7X5", 7, 5},
        {"hex-rows", 6, "6x7", 6, 7},
        {"hex-columns", 7, "0x6x0x7", 6, 7},
        {"7", 7, "1x1", 1, 1},
        {"square", 2, "-5x-4", -5, -4},
        {"6", 6, "2147483647x3", 2147483647, 3},
        {"diamond", 3, "-9x6", -9, 6},
    };
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const Colour colour = rgb(0x12, 0xAB, 0x3C);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind + " " + c.size);
        const std::string output = folder / "out.bmp";
        const Outcome run = runBatch(
            {"--kind", c.kind, "--size", c.size, "--color", "12aB3c", "-o", output, input});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, "");
        const auto composites = desktopComposites(input, c.code, c.a, c.b, colour);
        std::string where;
        EXPECT_TRUE(test::samePixels(readBack(output), composites[1], &where)) << where;
        if (c.code >= GridKinds::Square && c.a > 0) {
            EXPECT_FALSE(test::samePixels(composites[0], composites[1])) << "the grid shows";
        }
    }
}

TEST(BatchPictures, JpegOutputIsTheCoreWritersFile)
{
    Folder folder;
    const std::string input = jpegs + "/rgb.jpg";
    for (const std::string name : {"out.jpg", "OUT.JPEG"}) {
        const Outcome run = runBatch({"--kind", "hex-rows", "--size", "16x12", "--color", "ff0000",
                                      "-o", folder / name, input});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto composites
            = desktopComposites(input, GridKinds::HexRows, 16, 12, rgb(255, 0, 0));
        writeJpegFile(composites[1], folder / "expected.jpg");
        EXPECT_TRUE(bytesOf(folder / name) == bytesOf(folder / "expected.jpg")) << name;
    }
}

TEST(BatchPictures, WithoutGridWritesTheBackground)
{
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const Outcome run = runBatch(
        {"--kind", "square", "--size", "3x3", "--without-grid", "-o", folder / "plain.bmp", input});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(test::samePixels(readBack(folder / "plain.bmp"), readBack(input)));
}

// Photos stored turned or mirrored, with their Exif orientation: the
// desktop program's background is the upright picture, and the grid of
// every kind is drawn on it, there and in masume-batch's output, pixel for
// pixel as for the upright file; --no-auto-orient keeps the stored picture.
TEST(BatchPictures, PhotosAreGriddedUpright)
{
    test::TempDir dir;
    // 9 x 5 blocks of 8 x 8 pixels: jpegtran turns them without loss.
    test::writeBlockPicture(dir, "upright.jpg", 9, 5);
    const std::string upright = dir.file("upright.jpg");
    const Surface uprightPixels = readBack(upright);
    const Colour colour = rgb(0xC0, 0x10, 0x80);
    const std::string out = dir.file("out.bmp");
    const auto batchOutput
        = [&](const std::string &input, const GridKindRow &kind, bool autoOrient) {
              std::vector<std::string> args = {"--kind", kind.batchName, "--size", "7x6", "--color",
                                               "c01080", "-o",           out,      input};
              if (!autoOrient)
                  args.insert(args.begin(), "--no-auto-orient");
              const Outcome run = runBatch(args);
              EXPECT_EQ(run.status, 0) << run.err;
              return readBack(out);
          };
    std::map<std::string, Surface> expected; // by kind: the upright file's
    for (const GridKindRow &kind : GridKindTable)
        expected[kind.batchName] = batchOutput(upright, kind, true);
    for (int n = 2; n <= 8; ++n) {
        const std::string stored = test::writeStoredCopy(dir, upright, n, n);
        const std::string untagged = test::writeStoredCopy(dir, upright, n, 0);
        for (const GridKindRow &kind : GridKindTable) {
            SCOPED_TRACE(std::to_string(n) + " " + kind.batchName);
            WindowlessChain chain(7, 6);
            chain.grid.setGridKind(kind.code);
            chain.grid.setGridColour(colour);
            UnattendedHost host;
            PictureCommands(chain.canvas, host).OpenPicture1Accept(stored);
            std::string where;
            EXPECT_TRUE(test::samePixels(chain.canvas.Layers()[0], uprightPixels, &where)) << where;
            EXPECT_TRUE(
                test::samePixels(chain.canvas.Compounds()[1], expected[kind.batchName], &where))
                << where;
            EXPECT_TRUE(
                test::samePixels(batchOutput(stored, kind, true), expected[kind.batchName], &where))
                << where;
            const auto asStored = desktopComposites(untagged, kind.code, 7, 6, colour);
            EXPECT_TRUE(test::samePixels(batchOutput(stored, kind, false), asStored[1], &where))
                << where;
        }
    }
}

// The saving rules of the desktop program: no extension gets ".bmp", any
// other extension than its own and ".png" BMP content under exactly that
// name.
TEST(BatchPictures, OutputNamesFollowTheSavingRules)
{
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    ASSERT_EQ(runBatch({"-o", folder / "noext", input}).status, 0);
    EXPECT_FALSE(fs::exists(folder / "noext"));
    EXPECT_EQ(bytesOf(folder / "noext.bmp"), bytesOf(input));
    ASSERT_EQ(runBatch({"-o", folder / "odd.gif", input}).status, 0);
    EXPECT_EQ(bytesOf(folder / "odd.gif"), bytesOf(input));
    ASSERT_EQ(runBatch({"-o", folder / "real.PNG", input}).status, 0);
    EXPECT_TRUE(bytesOf(folder / "real.PNG").starts_with("\x89PNG"));
}

TEST(BatchFailures, EachFailingFileIsReportedAndTheOthersWritten)
{
    Folder folder;
    const std::string good1 = writeRandomPicture(folder, "good1.bmp", 1);
    const std::string good2 = writeRandomPicture(folder, "good2.bmp", 2);
    const std::string missing = folder / "missing.bmp";
    const std::string gif = folder / "picture.gif";
    std::ofstream(gif) << "not read";
    const std::string bad = bmpsuite + "/b/badplanes.bmp";
    const std::string out = folder / "new/out"; // made by the run

    const Outcome run
        = runBatch({"--kind", "square", "--out-dir", out, good1, missing, gif, bad, good2});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              line(missing, formatMessage(msg::CannotOpen, {missing}))
                  + line(gif, formatMessage(msg::UnknownExtension, {"gif"}))
                  + line(bad, msg::BitmapInvalid));
    EXPECT_TRUE(fs::exists(fs::path(out) / "good1.bmp"));
    EXPECT_TRUE(fs::exists(fs::path(out) / "good2.bmp"));
    EXPECT_FALSE(fs::exists(fs::path(out) / "badplanes.bmp"));
    EXPECT_FALSE(fs::exists(fs::path(out) / "missing.bmp"));
}

// A size of 0 fails in the grid routine, before anything is written.
TEST(BatchFailures, ZeroSizeFailsThatFile)
{
    struct Case
    {
        std::string size, message;
    };
    for (const Case &c : {Case {"0x32", msg::ZeroDivide}, Case {"32x0", msg::ZeroDivide}}) {
        Folder folder;
        const std::string input = writeRandomPicture(folder, "in.bmp");
        for (const std::string kind :
             {"square", "diamond", "rows", "columns", "hex-rows", "hex-columns"}) {
            SCOPED_TRACE(kind + " " + c.size);
            const Outcome run
                = runBatch({"--kind", kind, "--size", c.size, "-o", folder / "out.bmp", input});
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, line(input, c.message));
            EXPECT_FALSE(fs::exists(folder / "out.bmp"));
        }
    }
    // Without a drawing kind nothing divides.
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    EXPECT_EQ(runBatch({"--size", "0x0", "-o", folder / "out.bmp", input}).status, 0);
}

TEST(BatchFailures, AnExistingOutputIsReplacedButNeverAnInput)
{
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const std::string other = writeRandomPicture(folder, "other.bmp", 3);
    const std::string before = bytesOf(input);

    // Into the input's own folder: refused for each input, nothing changed.
    Outcome run = runBatch({"--kind", "square", "--out-dir", folder.path.string(), input});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("masume-batch: " + input + ": "), std::string::npos) << run.err;
    EXPECT_EQ(bytesOf(input), before);

    // An input that a later input's output would replace stays too.
    fs::create_directory(folder / "out");
    const std::string inOut = writeRandomPicture(folder, "out/other.bmp", 4);
    const std::string inOutBefore = bytesOf(inOut);
    run = runBatch({"--kind", "square", "--out-dir", folder / "out", other, inOut});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(bytesOf(inOut), inOutBefore);

    // Two inputs of the same name: the first is written, the second refused.
    fs::create_directory(folder / "sub");
    writeRandomPicture(folder, "sub/in.bmp", 5);
    fs::create_directory(folder / "dest");
    std::ofstream(folder / "dest/in.bmp") << "old";
    run = runBatch({"--out-dir", folder / "dest", input, folder / "sub/in.bmp"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(bytesOf(folder / "dest/in.bmp"), before) << "replaced by the first input";
    EXPECT_NE(run.err.find(folder / "sub/in.bmp"), std::string::npos);

    // Named explicitly, the input is replaced.
    run = runBatch({"--kind", "square", "-o", input, input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(bytesOf(input), before);
}

// Standard error on a terminal gets the progress line, counting the
// finished files as each file starts and ends, wiped before an error line
// and at the end.
TEST(BatchProgress, ShownOnATerminalOnly)
{
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const std::string terminal = ptsname(master);

    fs::create_directory(folder / "out");
    EXPECT_EQ(spawnBatch({"--jobs", "1", "--out-dir", folder / "out", input, folder / "gone.bmp"},
                         "/dev/null", terminal),
              1);

    std::string shown;
    fcntl(master, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, size_t(n));
    close(master);
    // The terminal shows a line end as "\r\n".
    for (size_t at; (at = shown.find("\r\n")) != std::string::npos;)
        shown.erase(at, 1);
    const std::string wipe = "\r\033[K";
    const std::string gone = folder / "gone.bmp";
    EXPECT_EQ(shown,
              wipe + "0/2 " + input + wipe + "1/2 " + input + wipe + "1/2 " + gone + wipe
                  + line(gone, formatMessage(msg::CannotOpen, {gone})) + wipe + "2/2 " + gone
                  + wipe);
}

TEST(BatchArguments, UnusableArgumentsExitWithTheUsage)
{
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const std::string out = folder / "out.bmp";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-o", out},
        {input},
        {"--bogus", "-o", out, input},
        {"--kind", "hexagon", "-o", out, input},
        {"--kind", "8", "-o", out, input},
        {"--size", "32", "-o", out, input},
        {"--size", "32x", "-o", out, input},
        {"--size", "99999999999x1", "-o", out, input},
        {"--color", "12345", "-o", out, input},
        {"--color", "12345g", "-o", out, input},
        {"-o", out, "--out-dir", folder.path.string(), input},
        {"-o", out, input, input},
        {"-o", out, "-o", out, input},
        {input, "-o"},
        {"--jobs", "0", "-o", out, input},
        {"-j", "x", "-o", out, input},
        {"--jobs=1025", "-o", out, input},
        {"-o", out, input, "-j"},
        {"--out-dir", folder.path.string(), "-", "-"},
        {"--out-dir", folder.path.string(), "-", input},
        {"-o", "-", input},
        {"--format", "png", "-o", out, input},
        {"--format", "gif", "-o", "-", input},
        {"--quality", "0", "-o", out, input},
        {"--quality", "101", "-o", out, input},
        {"--quality=9x", "-o", out, input},
        {"--sampling", "4:2:2", "-o", out, input},
        {"--grid-only", "-o", out, input},
        {"--grid-only", "--without-grid", "-o", folder / "grid.png", input},
        {"--grid-only", "--format", "jpeg", "--out-dir", folder.path.string(), input},
    };
    for (const auto &args : cases) {
        std::string shown;
        for (const auto &a : args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        const Outcome run = runBatch(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(batch::usageLine(batch::Language::English)), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
    const Outcome help = runBatch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, batch::usageHelp(batch::Language::English));
    EXPECT_EQ(help.err, "");
}

// masume-batch's own texts (its help, usage errors and refusals) follow the
// locale's language; the readers' messages are the program's, Japanese in
// either.
TEST(BatchArguments, ItsOwnTextsInTheLanguageOfTheLocale)
{
    using batch::Language;
    Folder folder;
    const std::string input = writeRandomPicture(folder, "in.bmp");
    const std::string missing = folder / "missing.bmp";
    struct Case
    {
        std::vector<std::string> locale;
        Language language;
    };
    const std::vector<Case> cases = {
        {{}, Language::English},
        {{"LANG=ja_JP.UTF-8"}, Language::Japanese},
        {{"LANG=en_US.UTF-8", "LC_MESSAGES=ja_JP.UTF-8"}, Language::Japanese},
        {{"LC_ALL=C", "LANG=ja_JP.UTF-8"}, Language::English},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale.empty() ? "no locale" : c.locale.back());
        const Outcome help = runBatch({"--help"}, c.locale);
        EXPECT_EQ(help.out, batch::usageHelp(c.language));

        const Outcome usage = runBatch({"--bogus", "-o", folder / "out.bmp", input}, c.locale);
        EXPECT_EQ(usage.status, 2);
        EXPECT_EQ(usage.err,
                  "masume-batch: "
                      + batch::say(c.language, batch::texts::UnknownOption, {"--bogus"}) + "\n"
                      + batch::usageLine(c.language) + "\n");

        const Outcome refused = runBatch({"--out-dir", folder.path.string(), input}, c.locale);
        EXPECT_EQ(refused.err,
                  line(input, batch::say(c.language, batch::texts::OutputIsInput, {input})));

        const Outcome unread = runBatch({"-o", folder / "out.bmp", missing}, c.locale);
        EXPECT_EQ(unread.err, line(missing, formatMessage(msg::CannotOpen, {missing})));
    }
    EXPECT_TRUE(runBatch({"--help"}, {"LANG=ja_JP.UTF-8"}).out.starts_with("使い方: masume-batch"));
}

// Every kind of the kinds table is taken by its name, and the help names
// them all, in the table's order, as --kind's values, in both languages.
// (The bash completion and the manual pages are held to the help:
// tests/install.)
TEST(BatchArguments, HelpNamesEveryKind)
{
    std::string names;
    for (const GridKindRow &kind : GridKindTable) {
        EXPECT_EQ(batch::parseKind(kind.batchName), kind.code) << kind.batchName;
        names += (names.empty() ? "" : ", ") + std::string(kind.batchName);
    }
    for (const auto language : {batch::Language::English, batch::Language::Japanese}) {
        const std::string help = batch::usageHelp(language);
        const size_t from = help.find("\n  --kind K");
        const size_t to = help.find("\n  --size WxH", from);
        ASSERT_NE(to, std::string::npos);
        std::string kindText;
        for (char c : help.substr(from, to - from))
            if (c != ' ' && c != '\n')
                kindText += c;
            else if (!kindText.empty() && kindText.back() != ' ')
                kindText += ' ';
        EXPECT_NE(kindText.find(names), std::string::npos) << kindText;
    }
}

TEST(BatchArguments, OptionValues)
{
    using Size = std::optional<std::pair<int32_t, int32_t>>;
    struct Case
    {
        std::string text;
        Size size;
    };
    const std::vector<Case> sizes = {
        {"32x32", std::pair {32, 32}},
        {" 7X-3", std::pair {7, -3}},
        {"0x20x0x10", std::pair {32, 16}},
        {"$ffx1", std::pair {255, 1}},
        {"x10x10", std::pair {16, 10}},
        {"2147483647x-2147483648", std::pair {2147483647, int32_t(-2147483647 - 1)}},
        {"0xffffffffx1", std::pair {-1, 1}},
        {"1x2x3", std::nullopt},
        {"x", std::nullopt},
        {"1.5x2", std::nullopt},
        {"2147483648x1", std::nullopt},
    };
    for (const Case &c : sizes)
        EXPECT_EQ(batch::parseSize(c.text), c.size) << c.text;

    EXPECT_EQ(batch::parseColour("FF8000"), rgb(255, 128, 0));
    EXPECT_EQ(batch::parseColour("00ff00"), rgb(0, 255, 0));
    EXPECT_EQ(batch::parseColour("0x1234"), std::nullopt);
    EXPECT_EQ(batch::parseKind("hex-columns"), GridKinds::HexColumns);
    EXPECT_EQ(batch::parseKind("Square"), std::nullopt);

    // "--name=value", options after the inputs, and "--" before an input
    // that starts with "-".
    const auto parsed = batch::parseArguments(
        {"--kind=diamond", "a.bmp", "--size=3x4", "--out-dir", "d", "--", "-b.bmp", "-o"});
    ASSERT_TRUE(std::holds_alternative<batch::BatchOptions>(parsed));
    const auto &o = std::get<batch::BatchOptions>(parsed);
    EXPECT_EQ(o.kind, GridKinds::Diamond);
    EXPECT_EQ(o.sizeH, 3);
    EXPECT_EQ(o.sizeV, 4);
    EXPECT_EQ(o.inputs, (std::vector<std::string> {"a.bmp", "-b.bmp", "-o"}));
    EXPECT_EQ(o.jobs, 0) << "as many as the cores by default";
    EXPECT_TRUE(o.autoOrient) << "photos upright by default";
    const auto asStored = batch::parseArguments({"--no-auto-orient", "-o", "o.bmp", "a.jpg"});
    ASSERT_TRUE(std::holds_alternative<batch::BatchOptions>(asStored));
    EXPECT_FALSE(std::get<batch::BatchOptions>(asStored).autoOrient);

    EXPECT_EQ(batch::parseJobs("1"), 1);
    EXPECT_EQ(batch::parseJobs("1024"), 1024);
    for (const std::string bad : {"", "0", "-1", "+2", "1025", "2x", "99999"})
        EXPECT_EQ(batch::parseJobs(bad), std::nullopt) << bad;
    for (const auto &args : std::vector<std::vector<std::string>> {
             {"-j", "3", "-o", "o.bmp", "a.bmp"}, {"--jobs=3", "-o", "o.bmp", "a.bmp"}}) {
        const auto withJobs = batch::parseArguments(args);
        ASSERT_TRUE(std::holds_alternative<batch::BatchOptions>(withJobs));
        EXPECT_EQ(std::get<batch::BatchOptions>(withJobs).jobs, 3);
    }
    EXPECT_GE(batch::defaultJobs(), 1);
}

// The scheduling estimate of a picture's size is the size the readers find,
// for every picture they read; what they refuse may be estimated anyhow.
TEST(BatchJobs, ThePictureSizeEstimateIsTheReadersSize)
{
    int compared = 0;
    for (const std::string &folder : {bmpsuite + "/g", bmpsuite + "/q", jpegs}) {
        for (const auto &entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().string();
            Picture picture;
            try {
                picture = readPicture(name);
            } catch (const Error &) {
                continue;
            }
            if (picture.kind() != PictureKind::Bitmap && picture.kind() != PictureKind::Jpeg)
                continue;
            EXPECT_EQ(batch::probePicture(name).pixels(),
                      uint64_t(picture.width()) * uint64_t(picture.height()))
                << name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 50);
    EXPECT_EQ(batch::probePicture("/nonexistent/picture.bmp").pixels(), 0u);
}

// Several jobs at once write the same files and report the same lines as
// one job: successes, failures of every kind in input order, an output
// name taken twice (once after a failure, so the second input is written
// once the first has failed), BMP and JPEG in and out.
TEST(BatchJobs, OutputsAndReportsDoNotDependOnTheJobs)
{
    Folder folder;
    std::vector<std::string> inputs;
    for (int i = 0; i < 5; ++i) {
        std::mt19937 rng(unsigned(40 + i));
        const Surface s = test::randomSurface(120 + 37 * i, 90 + 11 * i, PixelFormat::Rgb24, rng);
        const std::string name = folder / ("p" + std::to_string(i) + (i % 2 ? ".jpg" : ".bmp"));
        (i % 2 ? writeJpegFile : writeBmpFile)(s, name);
        inputs.push_back(name);
    }
    fs::create_directory(folder / "a");
    fs::create_directory(folder / "b");
    fs::create_directory(folder / "c");
    std::ofstream(folder / "a/twice.bmp") << "no picture";
    writeRandomPicture(folder, "b/twice.bmp", 8);
    writeRandomPicture(folder, "c/twice.bmp", 9);
    const std::vector<std::string> all = {inputs[0],
                                          folder / "missing.jpg",
                                          inputs[1],
                                          folder / "a/twice.bmp",
                                          inputs[2],
                                          folder / "b/twice.bmp",
                                          jpegs + "/missing-sof.jpg",
                                          inputs[3],
                                          folder / "c/twice.bmp",
                                          inputs[4],
                                          jpegs + "/hopper.jpg"};

    std::string firstErr;
    std::map<std::string, std::string> firstFiles;
    for (const std::string jobs : {"1", "2", "3"}) {
        SCOPED_TRACE("--jobs " + jobs);
        const std::string out = folder / ("out" + jobs);
        std::vector<std::string> args = {"--kind", "hex-columns", "--size", "9x7",       "--color",
                                         "3366cc", "--jobs",      jobs,     "--out-dir", out};
        args.insert(args.end(), all.begin(), all.end());
        const Outcome run = runBatch(args);
        EXPECT_EQ(run.status, 1);
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::directory_iterator(out))
            files[entry.path().filename().string()] = bytesOf(entry.path());
        // Every good picture and the second "twice.bmp", which is b's.
        EXPECT_EQ(files.size(), 7u);
        if (jobs == "1") {
            firstErr = run.err;
            firstFiles = files;
            EXPECT_EQ(files["twice.bmp"].size(), bytesOf(folder / "b/twice.bmp").size());
            EXPECT_NE(run.err.find(folder / "c/twice.bmp"), std::string::npos);
            continue;
        }
        std::string renamed = run.err;
        for (size_t at; (at = renamed.find(out)) != std::string::npos;)
            renamed.replace(at, out.size(), folder / "out1");
        EXPECT_EQ(renamed, firstErr);
        EXPECT_TRUE(files == firstFiles);
    }
}
