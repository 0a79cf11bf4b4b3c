// Files the fuzz targets once failed on, kept in data/ as fuzz-<target>-*
// (fuzz-bmp-..., fuzz-jpeg-..., fuzz-icon-..., fuzz-metafile-...), replayed
// here in every build with the targets' own check: the reader of the
// target's kind gives a 24-bit surface of the size its header claims, or
// one of the readers' messages. fuzz/run-all.sh replays them through the
// targets themselves.

#include "PictureTestSupport.h"
#include "fuzz/ReaderMessages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

#include <map>

using namespace masume;
using namespace masume::test;

TEST(FuzzFindings, EachGivesASurfaceOrAReaderMessage)
{
    const std::map<std::string, PictureKind> targets = {
        {"bmp", PictureKind::Bitmap},
        {"jpeg", PictureKind::Jpeg},
        {"icon", PictureKind::Icon},
        {"metafile", PictureKind::Metafile},
    };
    // The targets' limit of 4 megapixels, under which a claimed size is
    // decoded, not refused; the default again however the test ends.
    struct Limit
    {
        Limit() { setPicturePixelLimit(uint64_t(1) << 22); }
        ~Limit() { setPicturePixelLimit(0); }
    } limit;
    int replayed = 0;
    for (const auto &entry : fs::directory_iterator(MASUME_PICTURE_DATA)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("fuzz-", 0) != 0)
            continue;
        const std::string target = name.substr(5, name.find('-', 5) - 5);
        const auto kind = targets.find(target);
        ASSERT_NE(kind, targets.end()) << name << ": no target " << target;
        ++replayed;
        Picture picture;
        Surface surface;
        const std::string error = errorOf([&] {
            picture = readPictureBytes(kind->second, fileBytes(entry.path().string()));
            surface = makeSurface(picture);
        });
        if (!error.empty()) {
            EXPECT_TRUE(isReaderMessage(error)) << name << ": " << error;
            continue;
        }
        EXPECT_EQ(surface.width(), picture.width()) << name;
        EXPECT_EQ(surface.height(), picture.height()) << name;
        EXPECT_EQ(surface.pixelFormat(), PixelFormat::Rgb24) << name;
    }
    if (replayed == 0)
        GTEST_SKIP() << "no fuzz-* files in " << MASUME_PICTURE_DATA;
}
