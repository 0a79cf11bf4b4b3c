#pragma once

#include "picture/PictureEncoder.h"

#include <cstdint>
#include <memory>

namespace masume {

class ByteSink;

// The two kinds of PNG file the program writes, both of 8-bit samples.
enum class PngColour : uint8_t {
    Rgb, // a picture; rows of blue, green, red, as a 24-bit surface row
    Rgba, // an overlay with transparency; rows of blue, green, red, alpha
};

// A PNG file encoded row by row by libspng into a sink, top row first:
// not interlaced, zlib's compression level 1 and every row filtered by its
// difference to the row above ("Up"), the fastest of the levels and
// filters measured with little more bytes than the slowest (see the
// README). The bytes go to the sink in blocks of 128 KiB as they are made.
//
// A picture of no pixels (width or height 0) has no PNG form: it gives no
// bytes at all, as the other writers give an empty file.
//
// Errors: "ストリームへの書き込みエラー" when the sink refuses bytes;
// "メモリが不足しています" when an allocation fails. Raised outside the
// library's frames.
class PngEncoder final : public PictureEncoder
{
public:
    // Writes the signature and header.
    PngEncoder(ByteSink &sink, int width, int height, PngColour colour);
    ~PngEncoder();
    PngEncoder(const PngEncoder &) = delete;
    PngEncoder &operator=(const PngEncoder &) = delete;

    // The next row: width pixels of 3 (Rgb) or 4 (Rgba) bytes.
    void writeRow(const uint8_t *row);
    // Rows y .. y + count - 1, as writeRow takes them: top-down, each row
    // right below the last one given.
    void writeRows(int y, const uint8_t *rows, ptrdiff_t stride, int count) override;
    // After the last row: ends the file and hands the sink its last bytes.
    void finish() override;

private:
    struct Encoder;
    std::unique_ptr<Encoder> m_encoder;
};

} // namespace masume
