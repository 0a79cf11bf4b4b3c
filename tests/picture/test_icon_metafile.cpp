#include "PictureTestSupport.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <gtest/gtest.h>

using namespace masume;
using namespace masume::test;

namespace {

const std::string Data = MASUME_PICTURE_DATA;

std::vector<uint8_t> changed(std::vector<uint8_t> b, size_t at, uint8_t value)
{
    b.at(at) = value;
    return b;
}

std::vector<uint8_t> cut(std::vector<uint8_t> b, size_t size)
{
    b.resize(size);
    return b;
}

std::string readError(PictureKind kind, const std::vector<uint8_t> &b)
{
    return errorOf([&] { readPictureBytes(kind, b); });
}

} // namespace

TEST(IconReader, AValidIconIsReadButGivesNoSurface)
{
    TempDir dir;
    fs::copy_file(Data + "/icon.ico", dir.file("a.ICO"));
    const Picture p = readPicture(dir.file("a.ICO"));
    EXPECT_EQ(p.kind(), PictureKind::Icon);
    EXPECT_EQ(p.width(), 2);
    EXPECT_EQ(errorOf([&] { makeSurface(p); }), "TIcon を TBitmap に代入することはできません");
}

TEST(IconReader, InvalidIcons)
{
    const std::vector<uint8_t> icon = fileBytes(Data + "/icon.ico");
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        cut(icon, 5),
        changed(icon, 0, 1), // reserved
        changed(icon, 2, 2), // a cursor
        changed(icon, 4, 0), // no image
        changed(icon, 4, 9), // directory beyond the end
        cut(icon, icon.size() - 1),
        changed(icon, 18, 0), // image inside the directory
        changed(icon, 22, 41), // neither DIB nor PNG
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(readError(PictureKind::Icon, bad[i]), msg::IconInvalid) << i;
}

TEST(MetafileReader, ValidMetafilesAreReadButGiveNoSurface)
{
    for (const char *name : {"placeable.wmf", "enhanced.emf"}) {
        const Picture p = readPicture(Data + "/" + name);
        EXPECT_EQ(p.kind(), PictureKind::Metafile) << name;
        EXPECT_EQ(errorOf([&] { makeSurface(p); }),
                  "TMetafile を TBitmap に代入することはできません");
    }
    // The frame of the placeable header at 96 per inch; the bounds of the
    // enhanced one.
    EXPECT_EQ(readPicture(Data + "/placeable.wmf").width(), 192);
    EXPECT_EQ(readPicture(Data + "/enhanced.emf").height(), 5);
    // Without its placeable header a metafile is valid all the same.
    const std::vector<uint8_t> wmf = fileBytes(Data + "/placeable.wmf");
    EXPECT_EQ(readPictureBytes(PictureKind::Metafile, {wmf.begin() + 22, wmf.end()}).kind(),
              PictureKind::Metafile);
}

TEST(MetafileReader, InvalidMetafiles)
{
    const std::vector<uint8_t> wmf = fileBytes(Data + "/placeable.wmf");
    const std::vector<uint8_t> emf = fileBytes(Data + "/enhanced.emf");
    const std::vector<std::vector<uint8_t>> bad = {
        {},
        {'n', 'o', 't', ' ', 'a', ' ', 'm', 'e', 't', 'a', 'f', 'i', 'l', 'e'},
        changed(wmf, 20, 0), // checksum
        changed(wmf, 24, 8), // header size
        cut(wmf, wmf.size() - 2), // no end record
        changed(wmf, 40, 0), // a record of no size
        changed(wmf, 40, 200), // a record beyond the end
        cut(emf, emf.size() - 4), // shorter than its header says
        changed(emf, 88 + 4, 24), // records beyond the size
        changed(emf, 88, 13), // last record not the end
        changed(emf, 4, 86), // header size not a multiple of 4
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(readError(PictureKind::Metafile, bad[i]), msg::MetafileInvalid) << i;
}
