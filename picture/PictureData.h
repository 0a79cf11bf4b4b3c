#pragma once

// The content of a picture and the readers that make it, inside picture/.

#include "picture/PictureFile.h"

#include <cstdint>
#include <span>
#include <vector>

namespace masume {

struct Picture::Data
{
    PictureKind kind = PictureKind::Bitmap;
    int width = 0;
    int height = 0;
    // Bitmap: the pixels, already at 24 bits per pixel.
    Surface bitmap;
    // Jpeg: the whole file, decoded when a surface is made from it (width
    // and height above are those of the picture turned upright as its Exif
    // block says, see picture/Orientation.h).
    std::vector<uint8_t> jpegBytes;
};

// The readers, each given the whole file. They raise their own messages
// for content they reject.
Picture readBitmap(std::span<const uint8_t> file);
Picture readIcon(std::span<const uint8_t> file);
Picture readMetafile(std::span<const uint8_t> file);
Picture readJpeg(std::vector<uint8_t> file); // parses the header only

// Decodes a picture read by readJpeg into a 24-bit surface.
Surface decodeJpeg(const Picture::Data &jpeg);

// Raises "メモリが不足しています" when a picture of width x height pixels
// exceeds picturePixelLimit(). Both are positive.
void checkPictureSize(int64_t width, int64_t height);

// Raises "メモリが不足しています" when a reader that passes a picture on as
// rows would hold more bytes than the program may take for a whole picture
// (picturePixelLimit() pixels of 16 bytes).
void checkHeldBytes(uint64_t bytes);

// Reads a whole regular file. Raises "ファイル %s は開けません" when it
// cannot be opened or is no regular file, "ストリームからの読み込みエラー"
// when reading fails.
std::vector<uint8_t> readFileBytes(const std::string &fileName);

} // namespace masume
