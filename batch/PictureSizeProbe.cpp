#include "batch/PictureSizeProbe.h"

#include "batch/BandPipeline.h"
#include "picture/LittleEndian.h"
#include "picture/PngReader.h"

#include <algorithm>
#include <climits>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace masume::batch {

namespace {

// Markers a JPEG file may hold before its frame header, and stray bytes
// between them (which the decoder skips with a warning); beyond these the
// file is not worth walking for an estimate.
constexpr int MaxSegments = 1000;
constexpr uint64_t MaxStrayBytes = 1 << 20;

class File
{
public:
    explicit File(const std::string &name)
        : m_fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~File()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    // Exactly `bytes` bytes at `offset`, or false.
    bool read(uint64_t offset, uint8_t *out, size_t bytes) const
    {
        size_t done = 0;
        while (done < bytes) {
            const ssize_t got = ::pread(m_fd, out + done, bytes - done, off_t(offset + done));
            if (got <= 0)
                return false;
            done += size_t(got);
        }
        return true;
    }
    // Up to `bytes` bytes at `offset`; how many, 0 at the end, -1 on failure.
    ssize_t readSome(uint64_t offset, uint8_t *out, size_t bytes) const
    {
        return ::pread(m_fd, out, bytes, off_t(offset));
    }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

PictureProbe bmpProbe(const File &file)
{
    PictureProbe probe;
    uint8_t h[26];
    if (!file.read(0, h, sizeof h))
        return probe;
    probe.heldWhole = true;
    if (le::u32(h + 14) == 12) { // OS/2 1.x: 16-bit sizes
        probe.width = le::u16(h + 18);
        probe.height = le::u16(h + 20);
        return probe;
    }
    const int64_t width = int32_t(le::u32(h + 18));
    const int64_t height = std::llabs(int32_t(le::u32(h + 22))); // negative: top down
    if (width > 0) {
        probe.width = uint64_t(width);
        probe.height = uint64_t(height);
    }
    return probe;
}

bool isFrameHeader(uint8_t marker)
{
    // SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The offset of the next 0xFF byte from `at` on, or false.
bool nextMarkerByte(const File &file, uint64_t &at)
{
    uint8_t chunk[4096];
    for (uint64_t skipped = 0; skipped < MaxStrayBytes; skipped += sizeof chunk) {
        ssize_t got = file.readSome(at, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == 0xFF) {
                at += uint64_t(i);
                return true;
            }
        }
        at += uint64_t(got);
    }
    return false;
}

PictureProbe jpegProbe(const File &file)
{
    uint64_t at = 2; // after SOI
    for (int segment = 0; segment < MaxSegments; ++segment) {
        uint8_t m[2];
        if (!nextMarkerByte(file, at) || !file.read(at, m, 2))
            return {};
        if (m[1] == 0xFF) { // fill byte
            ++at;
            continue;
        }
        at += 2;
        if (m[1] == 0x01 || (m[1] >= 0xD0 && m[1] <= 0xD8))
            continue; // no length
        if (m[1] == 0xD9 || m[1] == 0xDA)
            return {}; // image data before any frame header
        uint8_t s[7];
        if (!file.read(at, s, isFrameHeader(m[1]) ? 7 : 2))
            return {};
        const unsigned length = unsigned(s[0]) << 8 | s[1];
        if (isFrameHeader(m[1])) {
            PictureProbe probe;
            probe.height = unsigned(s[3]) << 8 | s[4];
            probe.width = unsigned(s[5]) << 8 | s[6];
            // Progressive frames (SOF2, 6, 10, 14) are decoded from every
            // coefficient of the picture, held by the library.
            probe.heldWhole = (m[1] & 0x03) == 0x02;
            return probe;
        }
        if (length < 2)
            return {};
        at += length;
    }
    return {};
}

} // namespace

// PNG: the header chunk right after the signature; an interlaced file is
// held whole by its reader.
PictureProbe pngProbe(const File &file)
{
    uint8_t h[29];
    if (!file.read(0, h, sizeof h))
        return {};
    PictureProbe probe;
    probe.width = uint64_t(h[16]) << 24 | uint64_t(h[17]) << 16 | uint64_t(h[18]) << 8 | h[19];
    probe.height = uint64_t(h[20]) << 24 | uint64_t(h[21]) << 16 | uint64_t(h[22]) << 8 | h[23];
    probe.heldWhole = h[28] != 0;
    return probe;
}

PictureProbe probePicture(const std::string &fileName)
{
    const File file(fileName);
    uint8_t start[8];
    if (!file.isOpen() || !file.read(0, start, 2))
        return {};
    if (file.read(0, start, 8) && looksLikePng(start))
        return pngProbe(file);
    if (start[0] == 'B' && start[1] == 'M')
        return bmpProbe(file);
    if (start[0] == 0xFF && start[1] == 0xD8)
        return jpegProbe(file);
    return {};
}

uint64_t expectedJobBytes(const PictureProbe &probe, int threads)
{
    // What a held picture takes, at most: 3 bytes a pixel as a surface and
    // as much again on the way (a BMP's bytes, a turn; a progressive
    // JPEG's coefficients take 3 bytes a pixel at 4:2:0, 6 at 4:4:4).
    constexpr uint64_t HeldBytesPerPixel = 6;
    const uint64_t width = std::min<uint64_t>(probe.width, INT32_MAX);
    return bandPassBytes(int(width), threads)
        + (probe.heldWhole ? probe.pixels() * HeldBytesPerPixel : 0);
}

} // namespace masume::batch
