#pragma once

#include "picture/PictureStream.h"

#include <cstdint>
#include <memory>
#include <span>

namespace masume {

class ByteSource;

// Whether a file's first bytes are PNG's signature; fewer than 8 are not.
bool looksLikePng(std::span<const uint8_t> first8);

// A PNG file decoded while it is read, by libspng: every kind the format
// allows (grey, grey with alpha, palette, RGB, RGBA; 1 to 16 bits; with or
// without tRNS; interlaced or not), turned into 24-bit rows by the rules
// of picture/PngRows.h. A file that is not interlaced is decoded row by
// row, holding a few rows; an interlaced one is decoded whole at the first
// readRows, into 3 bytes a pixel that heldBytes() counts from the start.
//
// The library sees the file through PngChunkFilter: no ancillary chunk but
// tRNS reaches it, so it keeps no metadata and spends nothing on it. The
// header is checked against the memory guard before anything of the
// picture's size is allocated. The chunks after the pixels are read up to
// the end marker when the last row is read.
//
// Errors: "メモリが不足しています" for a picture beyond the guard (or whose
// rows the library cannot address, over 4 GiB) or an allocation that
// fails; "PNG エラー #%d" with libspng's error code for a damaged file (68,
// the library's "end of file", for one that ends early; a wrong CRC of a
// critical chunk; a tRNS with a wrong CRC is skipped, as libpng skips it);
// or what the source raises, such as "ストリームからの読み込みエラー". The
// constructor raises them for the header and the chunks before the pixels,
// readRows for the rest.
class PngStream final : public PictureStream
{
public:
    // Reads up to the pixels. The source must outlive the stream.
    explicit PngStream(ByteSource &source);
    ~PngStream() override;

    void readRows(uint8_t *out, ptrdiff_t stride, int count) override;
    uint64_t heldBytes() const override;

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
};

} // namespace masume
