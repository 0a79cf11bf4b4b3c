#include "picture/PngChunkFilter.h"

#include <algorithm>
#include <cstring>

namespace masume {

namespace {

uint32_t big32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Ancillary chunks have a lower-case first letter.
bool leftOut(const uint8_t *type)
{
    return (type[0] & 0x20) != 0 && std::memcmp(type, "tRNS", 4) != 0;
}

// The format allows chunks of at most 2^31 - 1 bytes.
constexpr uint32_t LongestChunk = 0x7FFFFFFF;

} // namespace

size_t PngChunkFilter::readFully(uint8_t *out, size_t size)
{
    size_t done = 0;
    while (done < size && !m_ended) {
        const size_t got = m_source.read(std::span<uint8_t>(out + done, size - done));
        if (got == 0)
            m_ended = true;
        done += got;
    }
    return done;
}

bool PngChunkFilter::skip(uint64_t count)
{
    uint8_t dropped[4096];
    while (count > 0) {
        const size_t n = size_t(std::min<uint64_t>(count, sizeof dropped));
        if (readFully(dropped, n) < n)
            return false;
        count -= n;
    }
    return true;
}

void PngChunkFilter::nextChunk()
{
    m_headerGiven = 0;
    m_headerSize = readFully(m_header, sizeof m_header);
    if (m_headerSize < sizeof m_header) {
        // A cut file: what there is passes, and the decoder finds it cut.
        m_rest = true;
        return;
    }
    const uint32_t length = big32(m_header);
    if (length <= LongestChunk && leftOut(m_header + 4)) {
        m_headerSize = 0;
        skip(uint64_t(length) + 4); // its data and CRC
        return;
    }
    m_passing = uint64_t(length) + 4;
    m_lastChunk = std::memcmp(m_header + 4, "IEND", 4) == 0;
}

size_t PngChunkFilter::read(std::span<uint8_t> buffer)
{
    size_t done = 0;
    while (done < buffer.size()) {
        if (m_headerGiven < m_headerSize) {
            const size_t n = std::min(buffer.size() - done, m_headerSize - m_headerGiven);
            std::memcpy(buffer.data() + done, m_header + m_headerGiven, n);
            m_headerGiven += n;
            done += n;
        } else if (m_passing > 0 || m_rest) {
            if (m_ended)
                break;
            const size_t want = m_rest
                ? buffer.size() - done
                : size_t(std::min<uint64_t>(buffer.size() - done, m_passing));
            const size_t got = readFully(buffer.data() + done, want);
            done += got;
            if (!m_rest) {
                m_passing -= got;
                m_rest = m_passing == 0 && m_lastChunk;
            }
        } else if (m_ended) {
            break;
        } else {
            nextChunk();
        }
    }
    return done;
}

} // namespace masume
