// Opening and saving without windows: the saving rules on real files, the
// states a failed opening leaves, and a save that the file system stops
// half-way.

#include "Canvas/PictureCommands.h"
#include "Canvas/SaveRules.h"
#include "Grid/GridCore.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace masume;
namespace fs = std::filesystem;

namespace {

// A fresh folder, also the current folder while it lives.
class Folder
{
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "masume-canvas-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        previous = fs::current_path();
        fs::current_path(path);
    }
    ~Folder()
    {
        fs::current_path(previous);
        fs::remove_all(path);
    }
    std::string operator/(const std::string &name) const { return (path / name).string(); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(path))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    fs::path path, previous;
};

std::string bytesOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

Surface gradient(int w, int h)
{
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(x, y, rgb(40 * x + 1, 50 * y + 2, 3));
    return s;
}

// The windows' side, answering as told and counting.
class Host final : public PictureCommandHost
{
public:
    explicit Host(GridCore &grid)
        : m_grid(grid)
    {
    }
    bool confirmOverwrite() override
    {
        ++questions;
        return overwrite;
    }
    void executeSaveAs() override { ++saveAsRuns; }
    bool saveWithGrid() override { return true; }
    void drawGLine() override
    {
        if (failDrawing)
            raise(msg::ZeroDivide);
        m_grid.DrawGLine();
    }

    bool overwrite = true;
    bool failDrawing = false;
    int questions = 0;
    int saveAsRuns = 0;

private:
    GridCore &m_grid;
};

// Both windows' halves set up in the program's order, and the commands.
struct Program
{
    PictureHolder view;
    CanvasCore canvas {view};
    GridCore grid;
    Host host {grid};
    PictureCommands commands {canvas, host};

    Program()
    {
        canvas.FormCreate();
        grid.setCanvas(&canvas);
        canvas.setGrid(&grid);
        grid.FormCreate("32", "32");
    }
};

std::string messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(SaveRules, ExtensionChoosesTheWriter)
{
    struct Case
    {
        const char *chosen, *written, *starts;
    };
    const Case cases[] = {
        {"foo", "foo.bmp", "BM"},         {"a.JPG", "a.JPG", "\xFF\xD8"},
        {"a.Jpeg", "a.Jpeg", "\xFF\xD8"}, {"a.jpeg", "a.jpeg", "\xFF\xD8"},
        {"a.jpe", "a.jpe", "BM"},         {"a.png", "a.png", "BM"},
        {"a.ico", "a.ico", "BM"},         {"a.", "a.", "BM"},
        {"x.d/foo", "x.d/foo.bmp", "BM"}, {"a.bmp.JPG", "a.bmp.JPG", "\xFF\xD8"},
    };
    Folder folder;
    fs::create_directory(folder.path / "x.d");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chosen);
        std::string name = c.chosen;
        writePictureFile(gradient(5, 4), name);
        EXPECT_EQ(name, c.written);
        EXPECT_EQ(bytesOf(name).substr(0, 2), c.starts);
    }
    EXPECT_FALSE(fs::exists("foo"));

    // An empty picture gives 0 bytes in either format.
    for (std::string name : {"e", "e.jpg"}) {
        writePictureFile(Surface(), name);
        EXPECT_EQ(fs::file_size(name), 0u) << name;
    }
    EXPECT_EQ(lowerDotExtension("/a.b/foo"), "");
    EXPECT_EQ(lowerDotExtension("A.JpEg"), ".jpeg");
    EXPECT_EQ(lowerDotExtension("a."), ".");
}

// A name ending in "/" or naming a folder: refused with the name as given,
// nothing appended and nothing written, inside the folder or beside it.
TEST(SaveRules, FolderNamesAreRefused)
{
    Folder folder;
    fs::create_directory("sub");
    fs::create_directory("pics.jpg");
    for (const std::string chosen :
         {"sub/", "sub", ".", "./", "sub/.", "pics.jpg", "pics.jpg/", "missing/"}) {
        std::string name = chosen;
        EXPECT_EQ(messageOf([&] { writePictureFile(gradient(5, 4), name); }),
                  "ファイル " + chosen + " を作成できません")
            << chosen;
        EXPECT_EQ(name, chosen);
    }
    EXPECT_EQ(folder.names(), (std::vector<std::string> {"pics.jpg", "sub"}));
    EXPECT_TRUE(fs::is_empty("sub"));
    EXPECT_TRUE(fs::is_empty("pics.jpg"));
}

TEST(SaveRules, FileExistsIsAFileRelativeToTheCurrentFolder)
{
    Folder folder;
    writeFile("here.bmp", "x");
    fs::create_directory("sub.bmp");
    fs::create_symlink("here.bmp", "link.bmp");
    fs::create_symlink("gone.bmp", "dangling.bmp");
    EXPECT_TRUE(fileExists("here.bmp"));
    EXPECT_TRUE(fileExists(folder / "here.bmp"));
    EXPECT_TRUE(fileExists("link.bmp"));
    EXPECT_FALSE(fileExists("sub.bmp"));
    EXPECT_FALSE(fileExists("dangling.bmp"));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists(".bmp"));
    fs::current_path(folder.path / "sub.bmp");
    EXPECT_FALSE(fileExists("here.bmp"));
}

TEST(Opening, FailedDrawingLeavesThePreviousCompositesAtTheNewSize)
{
    Folder folder;
    Program p;
    const Surface first = gradient(4, 3), second = gradient(6, 2);
    writeBmpFile(first, "first.bmp");
    writeBmpFile(second, "second.bmp");
    p.commands.OpenPicture1Accept("first.bmp");
    ASSERT_TRUE(test::samePixels(p.canvas.Compounds[1], first));

    p.host.failDrawing = true;
    EXPECT_EQ(messageOf([&] { p.commands.OpenPicture1Accept("second.bmp"); }), msg::ZeroDivide);
    EXPECT_EQ(p.canvas.PictureFileName, "second.bmp");
    EXPECT_TRUE(test::samePixels(p.canvas.Layers[0], second));
    EXPECT_EQ(p.view.width(), 6);
    EXPECT_EQ(p.view.height(), 2);
    const Surface &shown = p.view.picture();
    for (const Surface *s :
         std::initializer_list<const Surface *> {&p.canvas.Compounds[0], &p.canvas.Compounds[1],
                                                 &shown, &p.grid.GridMask, &p.grid.ColorLayer}) {
        EXPECT_EQ(s->width(), 6);
        EXPECT_EQ(s->height(), 2);
    }
    // The previous picture, top-left part kept, new area white.
    for (const Surface *s : std::initializer_list<const Surface *> {&p.canvas.Compounds[0],
                                                                    &p.canvas.Compounds[1], &shown})
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(s->pixel(x, y), x < 4 ? first.pixel(x, y) : White) << x << "," << y;

    // The next drawing composes the new picture.
    p.host.failDrawing = false;
    p.grid.DrawGLine();
    EXPECT_TRUE(test::samePixels(p.canvas.Compounds[1], second));
    EXPECT_TRUE(test::samePixels(p.view.picture(), second));
}

TEST(Opening, PictureTooLargeForMemoryChangesNothingButTheName)
{
    Folder folder;
    Program p;
    writeBmpFile(gradient(4, 3), "small.bmp");
    writeBmpFile(gradient(40, 30), "large.bmp");
    p.commands.OpenPicture1Accept("small.bmp");
    const int changes = p.view.pictureChanges();

    setPicturePixelLimit(100);
    const std::string message = messageOf([&] { p.commands.OpenPicture1Accept("large.bmp"); });
    setPicturePixelLimit(0);
    EXPECT_EQ(message, msg::OutOfMemory);
    EXPECT_EQ(p.canvas.PictureFileName, "large.bmp");
    EXPECT_EQ(p.view.pictureChanges(), changes);
    EXPECT_EQ(p.view.width(), 4);
    for (const Surface *s : {&p.canvas.Layers[0], &p.canvas.Compounds[0], &p.canvas.Compounds[1],
                             &p.grid.GridMask, &p.grid.ColorLayer})
        EXPECT_EQ(s->width(), 4);
}

// The file system takes only the first 64 KiB of the new file (a file-size
// limit in a child process): the existing file stays byte for byte, no
// temporary file remains, and the save reports the write error.
TEST(Saving, StoppedHalfWayKeepsTheExistingFile)
{
    for (const char *name : {"p.bmp", "p.jpg"}) {
        SCOPED_TRACE(name);
        Folder folder;
        Program p;
        std::mt19937 rng(7);
        writeBmpFile(test::randomSurface(300, 300, PixelFormat::Rgb24, rng), "noise.bmp");
        p.commands.OpenPicture1Accept("noise.bmp");
        std::string old(200000, '\0');
        for (char &c : old)
            c = char(rng());
        writeFile(name, old);
        p.canvas.PictureFileName = name;

        int channel[2];
        ASSERT_EQ(::pipe(channel), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit {65536, 65536};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const std::string message = messageOf([&] { p.commands.SavePicture1Execute(); });
            const std::string report = std::to_string(p.host.questions) + ":" + message;
            [[maybe_unused]] auto written = ::write(channel[1], report.data(), report.size());
            ::_exit(0);
        }
        ::close(channel[1]);
        std::string report;
        char buffer[256];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            report.append(buffer, size_t(n));
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(report, std::string("1:") + msg::WriteError);
        EXPECT_TRUE(bytesOf(name) == old);
        EXPECT_EQ(folder.names(), (std::vector<std::string> {"noise.bmp", name}));
    }
}
