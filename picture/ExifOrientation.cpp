#include "picture/ExifOrientation.h"

#include <algorithm>
#include <array>

namespace masume {

namespace {

constexpr std::array<uint8_t, 6> ExifPrefix = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint16_t OrientationTag = 0x0112;
constexpr uint16_t TypeShort = 3;
constexpr size_t TiffHeaderBytes = 8;
constexpr size_t EntryBytes = 12;

// The TIFF structure after the prefix, read in its own byte order. Every
// read is checked against the span; a read outside it gives nothing.
class Tiff
{
public:
    explicit Tiff(std::span<const uint8_t> bytes)
        : m_bytes(bytes)
    {
    }

    // Reads the byte order mark and the 42; false when they are not there.
    bool readHeader()
    {
        if (m_bytes.size() < TiffHeaderBytes)
            return false;
        if (m_bytes[0] == 'I' && m_bytes[1] == 'I')
            m_bigEndian = false;
        else if (m_bytes[0] == 'M' && m_bytes[1] == 'M')
            m_bigEndian = true;
        else
            return false;
        return u16(2) == 42;
    }

    size_t size() const { return m_bytes.size(); }

    // A 16- or 32-bit number at an offset whose bytes lie inside the span.
    uint32_t u16(size_t at) const
    {
        const uint8_t *p = m_bytes.data() + at;
        return m_bigEndian ? uint32_t(p[0] << 8 | p[1]) : uint32_t(p[1] << 8 | p[0]);
    }
    uint32_t u32(size_t at) const
    {
        return m_bigEndian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
    }

private:
    std::span<const uint8_t> m_bytes;
    bool m_bigEndian = false;
};

} // namespace

bool isExifBlock(std::span<const uint8_t> app1)
{
    return app1.size() >= ExifPrefix.size()
        && std::equal(ExifPrefix.begin(), ExifPrefix.end(), app1.begin());
}

int exifOrientation(std::span<const uint8_t> app1)
{
    if (!isExifBlock(app1))
        return 1;
    Tiff tiff(app1.subspan(ExifPrefix.size()));
    if (!tiff.readHeader())
        return 1;
    // Offsets count from the byte order mark; the directory cannot start
    // inside the header.
    const uint64_t directory = tiff.u32(4);
    if (directory < TiffHeaderBytes || directory + 2 > tiff.size())
        return 1;
    // A directory of more entries than the block holds is cut short.
    const uint64_t count = tiff.u16(size_t(directory));
    if (directory + 2 + count * EntryBytes > tiff.size())
        return 1;
    for (uint64_t i = 0; i < count; ++i) {
        const size_t entry = size_t(directory + 2 + i * EntryBytes);
        if (tiff.u16(entry) != OrientationTag)
            continue;
        // The first entry of the tag counts, whatever it holds.
        if (tiff.u16(entry + 2) != TypeShort || tiff.u32(entry + 4) != 1)
            return 1;
        const uint32_t value = tiff.u16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

} // namespace masume
