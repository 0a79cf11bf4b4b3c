#include "common/Error.h"
#include "common/Messages.h"
#include "picture/LittleEndian.h"
#include "picture/PictureData.h"

#include <algorithm>
#include <cstdlib>

namespace masume {

namespace {

constexpr uint32_t EmfHeaderRecord = 1;
constexpr uint32_t EmfEndRecord = 14;
constexpr uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr size_t EmfHeaderMinimum = 88;
constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr size_t PlaceableHeader = 22;
constexpr size_t WmfHeader = 18;

[[noreturn]] void invalid()
{
    raise(msg::MetafileInvalid);
}

int clampedSize(int64_t v)
{
    return int(std::clamp<int64_t>(v, 0, INT32_MAX));
}

// An enhanced metafile: its header record and a chain of records, each at
// least 8 bytes and a multiple of 4, filling exactly the size the header
// gives, the last one the end record. Width and height are the bounds of
// the header, in device pixels.
void checkEmf(std::span<const uint8_t> file, Picture::Data &out)
{
    const uint8_t *f = file.data();
    const size_t headerSize = le::u32(f + 4);
    const size_t total = le::u32(f + 48);
    if (headerSize < EmfHeaderMinimum || headerSize % 4 || headerSize > total
        || total > file.size())
        invalid();
    size_t pos = 0;
    uint32_t type = 0;
    while (pos < total) {
        if (total - pos < 8)
            invalid();
        type = le::u32(f + pos);
        const size_t size = le::u32(f + pos + 4);
        if (size < 8 || size % 4 || size > total - pos)
            invalid();
        pos += size;
    }
    if (type != EmfEndRecord)
        invalid();
    const auto field = [f](size_t at) { return int64_t(int32_t(le::u32(f + at))); };
    out.width = clampedSize(field(16) - field(8) + 1);
    out.height = clampedSize(field(20) - field(12) + 1);
}

// A Windows metafile from `start` (after a placeable header, if any): its
// header (type 1 or 2, 9 words, version 1 or 3) and a chain of records of
// at least 3 words each, up to the end record (function 0).
void checkWmf(std::span<const uint8_t> file, size_t start)
{
    const uint8_t *f = file.data();
    const size_t n = file.size();
    if (n - start < WmfHeader)
        invalid();
    const uint8_t *h = f + start;
    const uint16_t type = le::u16(h);
    const uint16_t version = le::u16(h + 4);
    if ((type != 1 && type != 2) || le::u16(h + 2) != 9 || (version != 0x0100 && version != 0x0300))
        invalid();
    size_t pos = start + WmfHeader;
    for (;;) {
        if (n - pos < 6)
            invalid();
        const uint64_t bytes = uint64_t(le::u32(f + pos)) * 2;
        const uint16_t function = le::u16(f + pos + 4);
        if (bytes < 6 || bytes > n - pos)
            invalid();
        if (function == 0)
            return;
        pos += size_t(bytes);
    }
}

} // namespace

// A metafile is only checked, never drawn. Either kind of content is taken
// under either extension, as the format table gives both the same reader.
Picture readMetafile(std::span<const uint8_t> file)
{
    const uint8_t *f = file.data();
    const size_t n = file.size();
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Metafile;
    if (n >= EmfHeaderMinimum && le::u32(f) == EmfHeaderRecord && le::u32(f + 40) == EmfSignature) {
        checkEmf(file, *data);
    } else if (n >= PlaceableHeader && le::u32(f) == PlaceableKey) {
        // The placeable header's checksum is the XOR of its first ten words.
        uint16_t sum = 0;
        for (size_t i = 0; i < 20; i += 2)
            sum ^= le::u16(f + i);
        if (sum != le::u16(f + 20))
            invalid();
        checkWmf(file, PlaceableHeader);
        const auto word = [f](size_t at) { return int64_t(int16_t(le::u16(f + at))); };
        const int64_t perInch = le::u16(f + 14);
        if (perInch > 0) {
            data->width = clampedSize(std::abs(word(10) - word(6)) * 96 / perInch);
            data->height = clampedSize(std::abs(word(12) - word(8)) * 96 / perInch);
        }
    } else {
        checkWmf(file, 0);
    }
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

} // namespace masume
