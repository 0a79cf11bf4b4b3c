#pragma once

#include "picture/ByteSink.h"
#include "picture/PictureEncoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace masume {

// Writes a picture given as 24-bit rows (blue, green, red per pixel) as the
// 24-bit BMP file the program saves: headers of 54 bytes, rows bottom-up,
// each padded with zeros to a multiple of 4 bytes; no densities, no colour
// table.
//
// The file stores its rows bottom-up. Rows that arrive in that order are
// appended, in writes of about a megabyte; rows in any other order (a
// picture passed on top-down) are written at their places in a seekable
// sink, and held until finish() for any other (a pipe): then the encoder
// holds the picture's rows whole, once the memory guard admits them.
//
// Raises "ストリームへの書き込みエラー" when the sink refuses bytes, and
// for a picture whose file would exceed the 32-bit sizes of its headers;
// "メモリが不足しています" when rows to hold do not fit.
class BmpEncoder final : public PictureEncoder
{
public:
    // Writes the headers of a width x height file, both > 0.
    BmpEncoder(ByteSink &sink, int width, int height);

    // Rows y .. y + count - 1, counted from the top, `stride` bytes apart;
    // each row once, in any order.
    void writeRows(int y, const uint8_t *rows, ptrdiff_t stride, int count) override;
    // Writes what is still held back.
    void finish() override;

private:
    void flush();

    ByteSink &m_sink;
    int m_width, m_height;
    size_t m_rowBytes;
    int m_nextBottomUp; // the row that would continue the file
    std::vector<uint8_t> m_pending; // appended rows not yet written
    std::vector<uint8_t> m_placed; // a call's rows in file order
    // For a sink that is not seekable: the file's rows above the appended
    // ones (0 .. m_nextBottomUp), in file order, once a row came early.
    std::vector<uint8_t> m_held;
};

} // namespace masume
