// masume-batch's formats and streams as a user meets them: PNG in and out,
// the grid alone as an overlay, standard input and output, JPEG quality and
// chroma sampling as cjpeg writes them.

#include "Canvas/WindowlessChain.h"
#include "batch/BatchProcess.h"
#include "picture/ByteSource.h"
#include "picture/PictureFile.h"
#include "picture/PngReader.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace masume;
using namespace masume::test;

namespace {

// A 37 x 29 picture of seeded random colours, written in the format of its
// name's extension (.bmp, .jpg, .png).
std::string writePicture(const Folder &folder, const std::string &name)
{
    std::mt19937 rng(11);
    const Surface s = randomSurface(37, 29, PixelFormat::Rgb24, rng);
    const std::string path = folder / name;
    const std::string extension = dottedExtensionOf(name);
    if (extension == ".jpg")
        writeJpegFile(s, path);
    else if (extension == ".png")
        writePngFile(s, path);
    else
        writeBmpFile(s, path);
    return path;
}

// A picture file read back: BMP and JPEG as the desktop program reads them,
// PNG by the PNG reader.
Surface readBack(const std::string &path)
{
    if (dottedExtensionOf(path) != ".png") {
        Surface s = makeSurface(readPicture(path));
        s.convertTo24();
        return s;
    }
    FileSource file(path);
    PngStream png(file);
    Surface s(png.width(), png.height());
    png.readRows(s.pixelsForOverwrite(), s.stride(), s.height());
    return s;
}

// An RGBA PNG's samples as stored, read by pypng (Debian's python3-png).
std::string rgbaOf(const Folder &folder, const std::string &png)
{
    const std::string raw = folder / "rgba.raw";
    const std::string script = "import png,sys; w,h,rows,info=png.Reader(filename=sys.argv[1])"
                               ".asRGBA8(); open(sys.argv[2],'wb').write(b''.join(bytes(r) for r "
                               "in rows))";
    const std::string command
        = "/usr/bin/python3 -c \"" + script + "\" '" + png + "' '" + raw + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return bytesOf(raw);
}

int shell(const std::string &command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::vector<std::string> Grid = {"--size", "6x5", "--color", "12ab3c"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// A PNG output holds the pixels of the BMP output for every grid kind, from
// each input format, and a PNG input gives what the same pixels in BMP give.
TEST(BatchFormats, PngOutputHoldsTheBmpOutputsPixels)
{
    Folder folder;
    const std::string bmpInput = writePicture(folder, "in.bmp");
    const std::string pngInput = writePicture(folder, "in.png");
    for (const std::string &input : {bmpInput, writePicture(folder, "in.jpg"), pngInput})
        for (int kind = 0; kind <= 7; ++kind) {
            const std::vector<std::string> settings
                = std::vector<std::string> {"--kind", std::to_string(kind)} + Grid;
            SCOPED_TRACE(input + ", kind " + std::to_string(kind));
            ASSERT_EQ(runBatch(settings + std::vector<std::string> {"-o", folder / "o.png", input})
                          .status,
                      0);
            ASSERT_EQ(runBatch(settings + std::vector<std::string> {"-o", folder / "o.bmp", input})
                          .status,
                      0);
            std::string where;
            EXPECT_TRUE(samePixels(readBack(folder / "o.png"), readBack(folder / "o.bmp"), &where))
                << where;
            if (input == pngInput) {
                ASSERT_EQ(
                    runBatch(settings + std::vector<std::string> {"-o", folder / "b.bmp", bmpInput})
                        .status,
                    0);
                EXPECT_EQ(bytesOf(folder / "o.bmp"), bytesOf(folder / "b.bmp"));
            }
        }
}

// The grid alone: opaque lines in the grid colour exactly where the mask is
// black, transparent elsewhere; laid over the plain picture it gives the
// picture with the grid.
TEST(BatchFormats, TheGridAloneLaidOverThePictureGivesThePictureWithTheGrid)
{
    Folder folder;
    const std::string input = writePicture(folder, "in.bmp");
    const Colour colour = rgb(0x12, 0xAB, 0x3C);
    for (int kind : {2, 3, 6, 7}) {
        SCOPED_TRACE(kind);
        const auto settings = std::vector<std::string> {"--kind", std::to_string(kind)} + Grid;
        ASSERT_EQ(
            runBatch(settings
                     + std::vector<std::string> {"--grid-only", "-o", folder / "grid.png", input})
                .status,
            0);
        ASSERT_EQ(
            runBatch(settings + std::vector<std::string> {"-o", folder / "with.bmp", input}).status,
            0);
        WindowlessChain chain(6, 5);
        chain.grid.setGridKind(kind);
        chain.grid.setGridColour(colour);
        UnattendedHost host;
        PictureCommands(chain.canvas, host).OpenPicture1Accept(input);
        const Surface &mask = chain.grid.GridMask();
        const Surface plain = readBack(input), with = readBack(folder / "with.bmp");

        const std::string rgba = rgbaOf(folder, folder / "grid.png");
        ASSERT_EQ(rgba.size(), size_t(plain.width()) * plain.height() * 4);
        int lines = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                const auto *p = reinterpret_cast<const uint8_t *>(
                    rgba.data() + (size_t(y) * plain.width() + x) * 4);
                const bool opaque = p[3] == 255;
                ASSERT_TRUE(opaque || p[3] == 0);
                ASSERT_EQ(!opaque, mask.pixel(x, y) == White) << x << ", " << y;
                const Colour over = opaque ? rgb(p[0], p[1], p[2]) : plain.pixel(x, y);
                ASSERT_EQ(over, with.pixel(x, y)) << x << ", " << y;
                lines += opaque;
            }
        EXPECT_GT(lines, 0);
    }
}

// Standard input to standard output gives the bytes of file to file, for
// each format in and out; a PNG or JPEG on standard input is told by its
// first bytes, whatever name it had.
TEST(BatchFormats, StandardInputToStandardOutputAsFileToFile)
{
    Folder folder;
    const std::pair<const char *, const char *> outputs[]
        = {{"bmp", "o.bmp"}, {"jpeg", "o.jpg"}, {"png", "o.png"}};
    for (const char *in : {"in.bmp", "in.jpg", "in.png"}) {
        const std::string input = writePicture(folder, in);
        for (auto [format, name] : outputs) {
            SCOPED_TRACE(std::string(in) + " to " + format);
            const auto settings = std::vector<std::string> {"--kind", "hex-rows"} + Grid;
            ASSERT_EQ(
                runBatch(settings + std::vector<std::string> {"-o", folder / name, input}).status,
                0);
            const Outcome piped
                = runBatch(settings + std::vector<std::string> {"--format", format, "-o", "-", "-"},
                           {}, input);
            ASSERT_EQ(piped.status, 0) << piped.err;
            EXPECT_EQ(piped.err, "");
            EXPECT_TRUE(piped.out == bytesOf(folder / name));
        }
    }
    // Content that is no picture, and no content.
    std::ofstream(folder / "text") << "no picture here";
    for (const std::string &input : {folder / "text", std::string("/dev/null")}) {
        const Outcome run = runBatch({"--format", "png", "-o", "-", "-"}, {}, input);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "masume-batch: -: standard input holds no BMP, JPEG or PNG picture\n");
    }
}

// A file named "-" is given as "./-"; --out-dir with --format gives every
// output the format's extension.
TEST(BatchFormats, NamesOfFilesAndFolders)
{
    Folder folder;
    const std::string input = writePicture(folder, "in.bmp");
    fs::copy_file(input, folder / "-");
    fs::copy_file(input, folder / "noext");
    fs::current_path(folder.path);
    EXPECT_EQ(runBatch({"-o", "from-dash.bmp", "./-"}).status, 0);
    EXPECT_EQ(bytesOf(folder / "from-dash.bmp"), bytesOf(input));
    const Outcome run = runBatch({"--format", "png", "--out-dir", "out", "in.bmp", "noext"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder / "out/in.png"));
    EXPECT_TRUE(fs::exists(folder / "out/noext.png"));
    fs::current_path("/");
}

// --quality and --sampling give what cjpeg gives for the same pixels with
// the float DCT and baseline tables; the default stays quality 90 at 4:2:0.
TEST(BatchFormats, QualityAndSamplingAsCjpegWritesThem)
{
    Folder folder;
    const std::string input = writePicture(folder, "in.bmp");
    ASSERT_EQ(runBatch({"--kind", "square", "-o", folder / "gridded.bmp", input}).status, 0);
    struct Case
    {
        std::vector<std::string> options;
        std::string cjpeg;
    };
    const Case cases[] = {
        {{}, "-quality 90"},
        {{"--quality", "1"}, "-quality 1"},
        {{"--quality", "55"}, "-quality 55"},
        {{"--quality=100"}, "-quality 100"},
        {{"--sampling", "4:4:4"}, "-quality 90 -sample 1x1"},
        {{"--quality", "75", "--sampling=4:4:4"}, "-quality 75 -sample 1x1"},
        {{"--sampling", "4:2:0", "--quality", "90"}, "-quality 90"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cjpeg);
        ASSERT_EQ(runBatch(std::vector<std::string> {"--kind", "square"} + c.options
                           + std::vector<std::string> {"-o", folder / "ours.jpg", input})
                      .status,
                  0);
        ASSERT_EQ(shell("cjpeg " + c.cjpeg + " -dct float -baseline -outfile '"
                        + folder / "theirs.jpg" + "' '" + folder / "gridded.bmp" + "'"),
                  0);
        EXPECT_TRUE(bytesOf(folder / "ours.jpg") == bytesOf(folder / "theirs.jpg"));
    }
}
