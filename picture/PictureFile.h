#pragma once

#include "raster/Surface.h"

#include <cstdint>
#include <memory>
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

// The file-type filter of the picture dialogs, built from the table
// ("すべてのファイル (*.jpg;...)|*.jpg;...|JPEG イメージファイル (*.jpg)|*.jpg|...").
std::string pictureDialogFilter();

// The extension of a file name: the text after its last ".", when that "."
// comes after the last "/"; otherwise empty. Without the dot.
std::string extensionOf(std::string_view fileName);

// A picture read from a file: a bitmap's pixels, a JPEG file's bytes with
// its parsed header (decoded only when a surface is made), or a checked
// icon or metafile.
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

// Reads a picture file, choosing the reader by the lower-cased extension.
// Raises "拡張子 .%s の画像形式は処理できません" (file not opened),
// "ファイル %s は開けません", or the reader's own error.
Picture readPicture(const std::string &fileName);

// A 24-bit surface made from a picture: JPEG files are decoded now; icons
// and metafiles raise "%s を %s に代入することはできません".
Surface makeSurface(const Picture &picture);

// Writers. Both replace an existing file atomically: the old file stays as
// it was when anything fails. An empty surface gives a file of 0 bytes.
// Raise "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
void writeBmpFile(const Surface &surface, const std::string &fileName);
void writeJpegFile(const Surface &surface, const std::string &fileName);

} // namespace masume
