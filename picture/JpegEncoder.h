#pragma once

#include "picture/ByteSink.h"
#include "picture/PictureEncoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace masume {

// How a JPEG file is encoded: baseline JFIF 1.01 without density, the float
// DCT, the library's standard Huffman tables, no restart markers; the
// quality's tables limited to baseline values. The desktop program always
// writes the defaults.
struct JpegSettings
{
    int quality = 90; // 1 .. 100
    // Chroma at full resolution (1 x 1 sampling, "4:4:4") instead of the
    // library's default halving in both directions ("4:2:0").
    bool fullChroma = false;
};

// Encodes a picture given as rows, top row first (y = 0, 1, ... in turn),
// into a sink, as the rows come: holds a few rows, never the picture. The rows are 24-bit, blue,
// green, red per pixel (a surface row).
//
// Raises "ストリームへの書き込みエラー" when the sink refuses bytes,
// "JPEG エラー #%d" for the library's other errors (a size beyond JPEG's
// 65535 pixels) and "メモリが不足しています" when the library runs out of
// memory. After an error the encoder takes no further rows.
class JpegEncoder final : public PictureEncoder
{
public:
    // Starts the file: width and height > 0.
    JpegEncoder(ByteSink &sink, int width, int height, JpegSettings settings = {});
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder &) = delete;
    JpegEncoder &operator=(const JpegEncoder &) = delete;

    void writeRows(int y, const uint8_t *rows, ptrdiff_t stride, int count) override;
    void finish() override;

    // The library object and what it reads and writes (JpegWriter.cpp).
    struct Library;

private:
    std::unique_ptr<Library> m_library;
};

} // namespace masume
