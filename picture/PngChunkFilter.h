#pragma once

#include "picture/ByteSource.h"

#include <cstdint>

namespace masume {

// A PNG file's bytes as the decoder is to see them: the source's, with
// every ancillary chunk except tRNS left out on the way (text, colour
// profiles, Exif, gamma, suggested palettes and any unknown ones). The
// pixels depend on no other ancillary chunk, so the decoder neither keeps
// nor inflates nor checks them, and none of its code for them runs on a
// file's say: no metadata costs memory or time, and a damaged one changes
// nothing, as a damaged ancillary chunk changes nothing for libpng.
//
// Everything else passes as it is, in the same order: the signature,
// critical chunks (known or not), tRNS, a chunk whose length the format
// does not allow, the bytes of a cut file up to its end, anything after
// IEND. A file that ends inside a chunk left out ends there.
class PngChunkFilter final : public ByteSource
{
public:
    // The source must outlive the filter.
    explicit PngChunkFilter(ByteSource &source)
        : m_source(source)
    {
    }
    size_t read(std::span<uint8_t> buffer) override;

private:
    // Reads up to `size` bytes, fewer only at the end of the source.
    size_t readFully(uint8_t *out, size_t size);
    // Reads and drops `count` bytes; false when the source ends first.
    bool skip(uint64_t count);
    // Reads the next chunk's header: left out with its chunk, or kept to be
    // handed on.
    void nextChunk();

    ByteSource &m_source;
    uint8_t m_header[8] = {};
    size_t m_headerSize = 0; // bytes of a kept chunk's header read ahead
    size_t m_headerGiven = 0; // and handed on
    uint64_t m_passing = 8; // bytes of the signature or a kept chunk still to pass
    bool m_lastChunk = false; // the chunk passing is IEND
    bool m_rest = false; // from here on, everything passes
    bool m_ended = false; // the source has ended
};

} // namespace masume
