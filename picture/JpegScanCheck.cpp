#include "picture/JpegScanCheck.h"

#include <algorithm>
#include <optional>

namespace masume {

namespace {

constexpr int MaxComponents = 4; // in a scan
constexpr int MaxSampling = 4;

struct Component
{
    int id, h, v;
};

struct Frame
{
    bool progressive = false;
    uint64_t width = 0, height = 0;
    Component components[256] {};
    int count = 0;
    int maxH = 1, maxV = 1;
};

uint64_t divUp(uint64_t a, uint64_t b)
{
    return (a + b - 1) / b;
}

bool isHuffmanDctFrame(uint8_t marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
}

bool isOtherFrame(uint8_t marker)
{
    // SOF3, SOF5 to SOF7, SOF9 to SOF11, SOF13 to SOF15 (C4, C8 and CC are
    // DHT, JPG and DAC).
    return marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The bytes of a file or of its prefix, walked from the start.
class Walk
{
public:
    Walk(std::span<const uint8_t> bytes, bool wholeFile)
        : m_bytes(bytes)
        , m_whole(wholeFile)
    {
    }

    // The verdict when the bytes end before it is known: in a whole file
    // the decoder reports an end inside the headers itself.
    ScanDataVerdict endOfHeaders() const
    {
        return m_whole ? ScanDataVerdict::Fits : ScanDataVerdict::NeedMore;
    }

    bool has(size_t n) const { return m_at <= m_bytes.size() && m_bytes.size() - m_at >= n; }
    uint8_t byte(size_t offset) const { return m_bytes[m_at + offset]; }
    unsigned u16(size_t offset) const { return unsigned(byte(offset)) << 8 | byte(offset + 1); }
    void skip(size_t n) { m_at += n; }

    // The next marker code, past stray bytes and fill bytes as the decoder
    // skips them; nothing when the bytes end first.
    std::optional<uint8_t> nextMarker()
    {
        for (;;) {
            while (m_at < m_bytes.size() && m_bytes[m_at] != 0xFF)
                ++m_at;
            while (m_at < m_bytes.size() && m_bytes[m_at] == 0xFF)
                ++m_at;
            if (m_at >= m_bytes.size())
                return std::nullopt;
            const uint8_t code = m_bytes[m_at++];
            if (code != 0) // 0xFF 0x00 outside a scan is a stray byte too
                return code;
        }
    }

    // Counts the scan's data from here until `needed` bytes are seen (Fits)
    // or a marker other than a restart marker ends the scan (TooShort).
    ScanDataVerdict scanData(uint64_t needed)
    {
        const ScanDataVerdict atTheEnd
            = m_whole ? ScanDataVerdict::TooShort : ScanDataVerdict::NeedMore;
        uint64_t seen = 0;
        while (seen < needed) {
            if (m_at >= m_bytes.size())
                return atTheEnd;
            if (m_bytes[m_at] != 0xFF) {
                ++m_at;
                ++seen;
                continue;
            }
            // 0xFF: the byte after any fill bytes tells data from a marker.
            size_t code = m_at + 1;
            while (code < m_bytes.size() && m_bytes[code] == 0xFF)
                ++code;
            if (code >= m_bytes.size())
                return atTheEnd;
            const uint8_t c = m_bytes[code];
            if (c != 0 && (c < 0xD0 || c > 0xD7))
                return ScanDataVerdict::TooShort;
            seen += code + 1 - m_at;
            m_at = code + 1;
        }
        return ScanDataVerdict::Fits;
    }

private:
    std::span<const uint8_t> m_bytes;
    bool m_whole;
    size_t m_at = 0;
};

// Reads a frame header whose length field is at the walk's position;
// false for a header the decoder refuses.
bool readFrame(const Walk &w, unsigned length, uint8_t marker, Frame &f)
{
    if (length < 8)
        return false;
    f.progressive = marker == 0xC2;
    f.height = w.u16(3);
    f.width = w.u16(5);
    f.count = w.byte(7);
    if (f.width == 0 || f.height == 0 || f.count == 0 || length != 8u + 3u * unsigned(f.count))
        return false;
    for (int i = 0; i < f.count; ++i) {
        const uint8_t sampling = w.byte(9 + 3 * size_t(i));
        Component &c = f.components[i];
        c = {w.byte(8 + 3 * size_t(i)), sampling >> 4, sampling & 15};
        if (c.h < 1 || c.h > MaxSampling || c.v < 1 || c.v > MaxSampling)
            return false;
        f.maxH = std::max(f.maxH, c.h);
        f.maxV = std::max(f.maxV, c.v);
    }
    return true;
}

// The blocks the scan whose header (length field first) is at the walk's
// position covers, or nothing when it is not a first DC scan or the
// decoder refuses its header.
std::optional<uint64_t> scanBlocks(const Walk &w, unsigned length, const Frame &f)
{
    const int count = w.byte(2);
    if (count < 1 || count > MaxComponents || length != 6u + 2u * unsigned(count))
        return std::nullopt;
    const uint8_t ss = w.byte(3 + 2 * size_t(count));
    const uint8_t ah = w.byte(5 + 2 * size_t(count)) >> 4;
    // A sequential scan codes every coefficient of each block whatever its
    // header says; a progressive one spends a bit per block only in a
    // first DC scan (AC scans code runs of empty blocks in one symbol).
    if (f.progressive && (ss != 0 || ah != 0))
        return std::nullopt;
    const Component *in[MaxComponents];
    for (int i = 0; i < count; ++i) {
        const int id = w.byte(3 + 2 * size_t(i));
        const Component *found = std::find_if(f.components, f.components + f.count,
                                              [&](const Component &c) { return c.id == id; });
        if (found == f.components + f.count)
            return std::nullopt;
        in[i] = found;
    }
    if (count == 1) {
        const Component &c = *in[0];
        return divUp(f.width * uint64_t(c.h), 8 * uint64_t(f.maxH))
            * divUp(f.height * uint64_t(c.v), 8 * uint64_t(f.maxV));
    }
    uint64_t perMcu = 0;
    for (int i = 0; i < count; ++i)
        perMcu += uint64_t(in[i]->h) * uint64_t(in[i]->v);
    return divUp(f.width, 8 * uint64_t(f.maxH)) * divUp(f.height, 8 * uint64_t(f.maxV)) * perMcu;
}

} // namespace

ScanDataVerdict checkFirstScanData(std::span<const uint8_t> bytes, bool wholeFile)
{
    Walk w(bytes, wholeFile);
    if (!w.has(2))
        return w.endOfHeaders();
    if (w.byte(0) != 0xFF || w.byte(1) != 0xD8)
        return ScanDataVerdict::Fits;
    w.skip(2);
    Frame frame;
    bool haveFrame = false;
    for (;;) {
        const std::optional<uint8_t> marker = w.nextMarker();
        if (!marker)
            return w.endOfHeaders();
        // Markers without a length: restart markers and TEM are skipped by
        // the decoder; a second SOI or an EOI before the scan it refuses.
        if ((*marker >= 0xD0 && *marker <= 0xD7) || *marker == 0x01)
            continue;
        if (*marker == 0xD8 || *marker == 0xD9 || isOtherFrame(*marker))
            return ScanDataVerdict::Fits;
        if (!w.has(2))
            return w.endOfHeaders();
        const unsigned length = w.u16(0);
        if (length < 2)
            return ScanDataVerdict::Fits;
        if (!w.has(length))
            return w.endOfHeaders();
        if (isHuffmanDctFrame(*marker)) {
            if (haveFrame || !readFrame(w, length, *marker, frame))
                return ScanDataVerdict::Fits;
            haveFrame = true;
        } else if (*marker == 0xDA) {
            if (!haveFrame)
                return ScanDataVerdict::Fits;
            const std::optional<uint64_t> blocks = scanBlocks(w, length, frame);
            if (!blocks)
                return ScanDataVerdict::Fits;
            w.skip(length);
            return w.scanData(divUp(*blocks, 8));
        }
        w.skip(length);
    }
}

} // namespace masume
