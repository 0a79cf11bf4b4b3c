#pragma once

#include "picture/ByteSource.h"
#include "picture/PictureStream.h"

#include <memory>

namespace masume {

// Reads a BMP file's headers from a seekable source (a file, or a file in
// memory) and makes its rows ready: plain and bit-field coded rows are read
// at their places as they are asked for, from the file's end when it stores
// them bottom-up; run-length coded files are decoded whole at once. The
// file must have at least one byte. Raises the BMP reader's messages
// ("ビットマップイメージが不正です", "ストリームからの読み込みエラー") and
// "メモリが不足しています" as its use allows (see PictureUse). The source
// must outlive the stream.
std::unique_ptr<PictureStream> openBmpStream(ByteSource &source, PictureUse use);

} // namespace masume
