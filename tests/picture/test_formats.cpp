#include "PictureTestSupport.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace masume;
using namespace masume::test;

TEST(PictureFormats, TableRowsInTheOrderTheyAreAdded)
{
    const auto &table = pictureFormats();
    ASSERT_EQ(table.size(), 6u);
    const std::pair<const char *, PictureKind> expected[] = {
        {"wmf", PictureKind::Metafile}, {"emf", PictureKind::Metafile}, {"ico", PictureKind::Icon},
        {"bmp", PictureKind::Bitmap},   {"jpeg", PictureKind::Jpeg},    {"jpg", PictureKind::Jpeg},
    };
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].extension, expected[i].first);
        EXPECT_EQ(table[i].kind, expected[i].second);
    }
    EXPECT_EQ(table[1].description, "エンハンス メタファイル");
    EXPECT_EQ(table[5].description, "JPEG イメージファイル");
}

TEST(PictureFormats, DialogFilter)
{
    EXPECT_EQ(
        pictureDialogFilter(),
        "すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*."
        "wmf|JPEG イメージファイル (*.jpg)|*.jpg|JPEG イメージファイル "
        "(*.jpeg)|*.jpeg|ビットマップ "
        "(*.bmp)|*.bmp|アイコン (*.ico)|*.ico|エンハンス メタファイル (*.emf)|*.emf|メタファイル "
        "(*.wmf)|*.wmf");
}

TEST(PictureFormats, LookUpIgnoresCase)
{
    EXPECT_EQ(findPictureFormat("JPG")->kind, PictureKind::Jpeg);
    EXPECT_EQ(findPictureFormat("Jpeg")->kind, PictureKind::Jpeg);
    EXPECT_EQ(findPictureFormat("BMP")->kind, PictureKind::Bitmap);
    EXPECT_EQ(findPictureFormat("eMf")->kind, PictureKind::Metafile);
    for (const char *none : {"", "png", "jpe", "bmp ", ".bmp"})
        EXPECT_EQ(findPictureFormat(none), nullptr) << none;
}

TEST(PictureFormats, ExtensionRule)
{
    struct Case
    {
        const char *name, *extension, *dotted;
    };
    const Case cases[] = {
        {"a.bmp", "bmp", ".bmp"},
        {"/x/a.JPG", "JPG", ".JPG"},
        {"a.tar.gz", "gz", ".gz"},
        {"/a.b/foo", "", ""},
        {"foo", "", ""},
        {"a.", "", "."},
        {"/a.b/c.", "", "."},
        {".bmp", "bmp", ".bmp"},
        {"/a.b/", "", ""},
        {"", "", ""},
        {"dir/.hidden", "hidden", ".hidden"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(extensionOf(c.name), c.extension) << c.name;
        EXPECT_EQ(dottedExtensionOf(c.name), c.dotted) << c.name;
    }
}

TEST(ReadPicture, UnknownExtensionFailsWithoutOpeningTheFile)
{
    // The folder does not exist: opening would give the other message.
    EXPECT_EQ(errorOf([] { readPicture("/nonexistent/a.png"); }),
              "拡張子 .png の画像形式は処理できません");
    EXPECT_EQ(errorOf([] { readPicture("/nonexistent/a.PNG"); }),
              "拡張子 .png の画像形式は処理できません");
    EXPECT_EQ(errorOf([] { readPicture("/nonexistent/a.b/foo"); }),
              "拡張子 . の画像形式は処理できません");
}

TEST(ReadPicture, FilesThatCannotBeOpened)
{
    TempDir dir;
    const std::string folder = dir.file("folder.bmp");
    const std::string fifo = dir.file("pipe.jpg");
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    for (const std::string &name : {dir.file("missing.bmp"), folder, fifo})
        EXPECT_EQ(errorOf([&] { readPicture(name); }), "ファイル " + name + " は開けません");
}

TEST(ReadPicture, ChoosesTheReaderByTheLowerCasedExtension)
{
    TempDir dir;
    const Surface s(3, 2, PixelFormat::Rgb24, 0x123456);
    writeBmpFile(s, dir.file("a.bmp"));
    std::filesystem::copy_file(dir.file("a.bmp"), dir.file("A.BMP"));
    std::filesystem::copy_file(dir.file("a.bmp"), dir.file("a.JPG"));
    const Picture p = readPicture(dir.file("A.BMP"));
    EXPECT_EQ(p.kind(), PictureKind::Bitmap);
    EXPECT_EQ(makeSurface(p).pixel(2, 1), 0x123456u);
    // BMP content under a JPEG name goes to the JPEG reader.
    EXPECT_EQ(errorOf([&] { readPicture(dir.file("a.JPG")); }).rfind("JPEG エラー #", 0), 0u);
}
