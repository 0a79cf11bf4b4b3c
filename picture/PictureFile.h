#pragma once

#include "raster/Surface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace masume {

enum class PictureKind { Metafile, Icon, Bitmap, Jpeg };

// A row of the picture format table.
struct PictureFormat
{
    std::string extension; // lower case, without the dot
    std::string description;
    PictureKind kind;
};

// The readable file kinds in the order they are added: wmf, emf, ico, bmp,
// jpeg, jpg. Look-ups run from the last row to the first.
const std::vector<PictureFormat> &pictureFormats();

// The row for an extension (without the dot, any case), searched from the
// last row to the first; null when no row matches.
const PictureFormat *findPictureFormat(std::string_view extension);

// The file-type filter of the picture dialogs, built from the table
// ("すべてのファイル (*.jpg;...)|*.jpg;...|JPEG イメージファイル (*.jpg)|*.jpg|...").
std::string pictureDialogFilter();

// The extension of a file name: the text after its last ".", when that "."
// comes after the last "/"; otherwise empty. Without the dot.
std::string extensionOf(std::string_view fileName);

// The same extension with its dot kept, as saving compares it: "." for a
// name ending in ".", empty for a name without extension.
std::string dottedExtensionOf(std::string_view fileName);

// A picture read from a file: a bitmap's pixels, a JPEG file's bytes with
// its parsed header (decoded only when a surface is made), or a checked
// icon or metafile. Width and height are those of the picture's header
// (for icons the first image's, for metafiles their frame at 96 dots per
// inch, 0 when a metafile gives none). A default picture is an empty bitmap.
class Picture
{
public:
    PictureKind kind() const;
    int width() const;
    int height() const;
    // implementation-defined content
    struct Data;
    std::shared_ptr<const Data> data;
};

// The kind of picture a file holds, told by its first bytes (at least 8 of
// them where the file has them): "BM" a bitmap, FF D8 a JPEG file; none for
// anything else.
std::optional<PictureKind> pictureKindOfContent(std::span<const uint8_t> start);

// Reads a picture file, choosing the reader by the lower-cased extension.
// Raises "拡張子 .%s の画像形式は処理できません" (file not opened),
// "ファイル %s は開けません", or the reader's own error.
Picture readPicture(const std::string &fileName);

// The reader of one kind applied to the whole content of a file, as
// readPicture does once the file is read; for readers of memory (tests,
// fuzzers). Raises the reader's errors.
Picture readPictureBytes(PictureKind kind, std::vector<uint8_t> bytes);

// A 24-bit surface made from a picture: JPEG files are decoded now; icons
// and metafiles raise "%s を %s に代入することはできません".
Surface makeSurface(const Picture &picture);

// Writers. Each replaces an existing file atomically: the old file stays as
// it was when anything fails. An empty surface gives a file of 0 bytes.
// Raise "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
// The PNG file is 8-bit RGB (picture/PngWriter.h).
void writeBmpFile(const Surface &surface, const std::string &fileName);
void writeJpegFile(const Surface &surface, const std::string &fileName);
void writePngFile(const Surface &surface, const std::string &fileName);

// The largest picture, in pixels, that reading accepts; a larger one raises
// "メモリが不足しています" before any of its pixels are stored, and nothing
// that was shown or loaded changes. By default what the process may still
// take (memoryHeadroom(): the smallest of physical memory, its cgroup limit
// and RLIMIT_AS, less what it holds) divided by 16 bytes: what the program
// keeps for one picture (background, two composites and colour layer at 3
// bytes each, the grid mask at 1, and 3 more for a decoder's or the
// display's transient copy). setPicturePixelLimit(0) restores the default.
uint64_t picturePixelLimit();
void setPicturePixelLimit(uint64_t pixels);

// The JPEG output setting, fixed once at start-up: true when the display
// has 8 or fewer bits per pixel. Colour JPEG files are then decoded to at
// most 236 colours by libjpeg's quantiser; greyscale files keep their 256
// levels and CMYK files are converted to full colour in either case.
void setJpegEightBitOutput(bool eightBits);
bool jpegEightBitOutput();

// Whether JPEG photos are turned upright as their Exif block says (on by
// default; masume-batch --no-auto-orient turns it off): a picture stored
// sideways or mirrored becomes the upright one, its width and height
// swapped for a quarter turn, from reading on (Picture::width() and
// height() included). A damaged Exif block counts as none. Read when a
// file is read.
void setJpegAutoOrient(bool upright);
bool jpegAutoOrient();

} // namespace masume
