// JPEG photos with an orientation in their Exif block open upright: the
// files are turned by jpegtran and tagged by exiftool, and the upright
// picture that Qt's own JPEG reader makes of them (it reads the Exif block
// itself) is the reference.

#include "ExifTestSupport.h"
#include "PictureTestSupport.h"
#include "picture/PictureFile.h"

#include <QImage>
#include <QImageReader>
#include <QTransform>
#include <gtest/gtest.h>

using namespace masume;
using namespace masume::test;

namespace {

Surface opened(const std::string &name)
{
    return makeSurface(readPicture(name));
}

// "" when the surface holds exactly the image's pixels.
std::string difference(const Surface &s, const QImage &image)
{
    if (image.isNull())
        return "no image";
    if (s.width() != image.width() || s.height() != image.height())
        return "size " + std::to_string(s.width()) + "x" + std::to_string(s.height()) + " against "
            + std::to_string(image.width()) + "x" + std::to_string(image.height());
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (s.pixel(x, y) != rgb(qRed(p), qGreen(p), qBlue(p)))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    return "";
}

QImage imageOf(const Surface &s)
{
    QImage image(s.width(), s.height(), QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const Colour c = s.pixel(x, y);
            image.setPixel(x, y, qRgb(redOf(c), greenOf(c), blueOf(c)));
        }
    return image;
}

// Qt's reading of a file, turned upright by its Exif block.
QImage qtUpright(const std::string &name)
{
    QImageReader reader(QString::fromStdString(name));
    reader.setAutoTransform(true);
    return reader.read();
}

// The turn of orientation n in Qt's terms, for pictures whose turned copy
// jpegtran cannot make without loss (sizes that are no multiple of the
// blocks); checked against Qt's own reading below.
QImage turned(const QImage &stored, int n)
{
    const QImage quarter = stored.transformed(QTransform().rotate(90));
    const QImage threeQuarters = stored.transformed(QTransform().rotate(270));
    switch (n) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return quarter.mirrored(true, false);
    case 6:
        return quarter;
    case 7:
        return threeQuarters.mirrored(true, false);
    case 8:
        return threeQuarters;
    default:
        return stored;
    }
}

class UprightPhotos : public ::testing::Test
{
protected:
    void TearDown() override { setJpegAutoOrient(true); }
    TempDir dir;
};

} // namespace

// 9 x 5 blocks, so that the stored copies of a quarter turn are decoded in
// more than one band of rows.
TEST_F(UprightPhotos, EveryOrientationOpensAsQtShowsIt)
{
    writeBlockPicture(dir, "upright.jpg", 9, 5);
    const Surface upright = opened(dir.file("upright.jpg"));
    ASSERT_EQ(upright.width(), 72);
    for (int n = 1; n <= 8; ++n)
        for (const std::string order : {"II", "MM"}) {
            SCOPED_TRACE(std::to_string(n) + " " + order);
            const std::string stored = writeStoredCopy(dir, dir.file("upright.jpg"), n, n, order);
            const QImage reference = qtUpright(stored);
            EXPECT_EQ(difference(upright, reference), "") << "the copy is no turned copy";
            const Picture picture = readPicture(stored);
            EXPECT_EQ(picture.width(), 72);
            EXPECT_EQ(picture.height(), 40);
            EXPECT_EQ(difference(makeSurface(picture), reference), "");

            // As stored, when asked: also the picture's size.
            setJpegAutoOrient(false);
            const Picture asStored = readPicture(stored);
            const Surface storedPixels = makeSurface(asStored);
            setJpegAutoOrient(true);
            EXPECT_EQ(asStored.width(), n >= 5 ? 40 : 72);
            EXPECT_EQ(difference(storedPixels,
                                 QImage(QString::fromStdString(
                                     writeStoredCopy(dir, dir.file("upright.jpg"), n, 0)))),
                      "");
            // The turns in Qt's terms, for the next test.
            EXPECT_EQ(difference(upright, turned(imageOf(storedPixels), n)), "");
        }
}

// A photo-like picture of an odd size (4:2:0, so that the reader's rows
// are upsampled and smoothed as djpeg's are), tagged without being turned:
// the upright picture is djpeg's stored picture turned.
TEST_F(UprightPhotos, OddSizesAndEveryOutputOfTheLibrary)
{
    writePpm(photoLike(37, 70, 5), dir.file("p.ppm"));
    ASSERT_EQ(run("cjpeg -outfile '" + dir.file("p.jpg") + "' '" + dir.file("p.ppm") + "'"), 0);
    ASSERT_EQ(
        run("djpeg -dct float -outfile '" + dir.file("p.pnm") + "' '" + dir.file("p.jpg") + "'"),
        0);
    const QImage stored = imageOf(readPnm(dir.file("p.pnm")));
    // The same for greyscale and CMYK files, and for the 8-bit output.
    ASSERT_EQ(
        run("cjpeg -grayscale -outfile '" + dir.file("g.jpg") + "' '" + dir.file("p.ppm") + "'"),
        0);
    struct Kind
    {
        std::string file;
        bool eightBits;
    };
    for (const Kind &kind : {Kind {"p.jpg", false}, Kind {"p.jpg", true}, Kind {"g.jpg", false}}) {
        setJpegEightBitOutput(kind.eightBits);
        setJpegAutoOrient(false);
        const QImage plain = imageOf(opened(dir.file(kind.file)));
        setJpegAutoOrient(true);
        if (kind.file == "p.jpg" && !kind.eightBits) {
            EXPECT_EQ(difference(opened(dir.file(kind.file)), stored), "");
        }
        for (int n = 1; n <= 8; ++n) {
            SCOPED_TRACE(kind.file + (kind.eightBits ? " 8-bit " : " ") + std::to_string(n));
            const std::string tagged = dir.file("t" + std::to_string(n) + kind.file);
            fs::copy_file(dir.file(kind.file), tagged, fs::copy_options::overwrite_existing);
            ASSERT_TRUE(tagOrientation(tagged, n, n % 2 ? "II" : "MM"));
            EXPECT_EQ(difference(opened(tagged), turned(plain, n)), "");
        }
    }
    setJpegEightBitOutput(false);
    const std::string cmyk = Fixtures + "/jpeg/jpg-cmyk-2.jpg";
    const std::string tagged = dir.file("cmyk.jpg");
    fs::copy_file(cmyk, tagged);
    ASSERT_TRUE(tagOrientation(tagged, 7));
    EXPECT_EQ(difference(opened(tagged), turned(imageOf(opened(cmyk)), 7)), "");
}

// A damaged or foreign Exif block is none: the picture as stored, never an
// error. Only the first Exif block counts.
TEST_F(UprightPhotos, DamagedExifBlocksAreIgnored)
{
    writeBlockPicture(dir, "p.jpg", 3, 2);
    const std::vector<uint8_t> plain = fileBytes(dir.file("p.jpg"));
    const QImage stored = imageOf(opened(dir.file("p.jpg")));
    const std::vector<ExifEntry> entries = {{0x010F, 2, 4, 0}, orientationEntry(6)};
    const std::vector<uint8_t> good = exifBlock(false, entries);
    std::vector<uint8_t> cut = good, beyond = good, huge = good;
    cut.resize(cut.size() - 4 - 5); // inside the orientation's entry
    beyond[10] = 0x70; // the directory beyond the block
    huge[14] = huge[15] = 0xFF; // 65535 entries
    const std::vector<uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.'};
    struct Case
    {
        const char *what;
        std::vector<std::vector<uint8_t>> blocks; // APP1 payloads in file order
        int orientation; // 1: as stored
    };
    const std::vector<Case> cases = {
        {"cut", {cut}, 1},
        {"directory beyond the block", {beyond}, 1},
        {"huge count", {huge}, 1},
        {"looping directories without the tag", {exifBlock(true, {{0x010F, 2, 4, 0}}, 8, 8)}, 1},
        {"tag of type LONG", {exifBlock(true, {{0x0112, 4, 1, 6}})}, 1},
        {"value 9", {exifBlock(false, {orientationEntry(9)})}, 1},
        {"a damaged block before a good one", {huge, good}, 1},
        {"another APP1 before the Exif block", {xmp, good}, 6},
        {"the good block alone", {good}, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = plain;
        for (auto block = c.blocks.rbegin(); block != c.blocks.rend(); ++block)
            file = withApp1(file, *block);
        writeBytes(dir.file("damaged.jpg"), file);
        Surface s;
        EXPECT_EQ(errorOf([&] { s = opened(dir.file("damaged.jpg")); }), "");
        EXPECT_EQ(difference(s, turned(stored, c.orientation)), "");
    }
}
