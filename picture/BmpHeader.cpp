#include "picture/BmpHeader.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/LittleEndian.h"

#include <algorithm>
#include <bit>

namespace masume {

namespace {

constexpr size_t FileHeaderSize = 14;

enum Compression : uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_ALPHABITFIELDS = 6,
};

using le::u16;
using le::u32;

[[noreturn]] void invalid()
{
    raise(msg::BitmapInvalid);
}

[[noreturn]] void truncated()
{
    raise(msg::ReadError);
}

bool knownHeaderSize(uint32_t size)
{
    // 12: OS/2 1.x core; 16 and 64: OS/2 2.x, short and full; 40, 52, 56,
    // 108, 124: Windows info headers up to version 5.
    switch (size) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

bool contiguous(uint32_t mask)
{
    if (mask == 0)
        return false;
    const uint64_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

void checkMasks(const std::array<uint32_t, 3> &masks, int bitsPerPixel)
{
    const uint64_t room = bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (uint32_t m : masks)
        if (!contiguous(m) || m > room)
            invalid();
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]))
        invalid();
}

// The file header: "BM", where the pixels start (0: after the colour table)
// and the size of the info header that follows. The file's recorded size is
// not read: writers record too little (only the headers) or too much, and
// whether the pixels are all there is judged from the pixels themselves.
struct FileHeader
{
    uint32_t pixelOffset;
    uint32_t infoSize;
};

FileHeader readFileHeader(std::span<const uint8_t> file)
{
    const uint8_t *f = file.data();
    const size_t n = file.size();
    if (n < 2)
        truncated();
    if (f[0] != 'B' || f[1] != 'M')
        invalid();
    if (n < FileHeaderSize + 4)
        truncated();
    const FileHeader header {u32(f + 10), u32(f + FileHeaderSize)};
    if (!knownHeaderSize(header.infoSize))
        invalid();
    if (n < FileHeaderSize + header.infoSize)
        truncated();
    return header;
}

// The fields of the info header that find or decode the pixels, as stored
// (OS/2 1.x core headers have no compression, image size or colour count:
// 0). The densities and the count of important colours are not read.
struct InfoHeader
{
    int64_t width, height;
    uint32_t planes, bitsPerPixel, compression = BI_RGB, imageSize = 0, colours = 0;
};

InfoHeader readInfoHeader(std::span<const uint8_t> file, uint32_t infoSize)
{
    const uint8_t *h = file.data() + FileHeaderSize;
    InfoHeader info;
    if (infoSize == 12) {
        info.width = u16(h + 4);
        info.height = u16(h + 6);
        info.planes = u16(h + 8);
        info.bitsPerPixel = u16(h + 10);
        return info;
    }
    info.width = int32_t(u32(h + 4));
    info.height = int32_t(u32(h + 8));
    info.planes = u16(h + 12);
    info.bitsPerPixel = u16(h + 14);
    if (infoSize >= 40) {
        info.compression = u32(h + 16);
        info.imageSize = u32(h + 20);
        info.colours = u32(h + 32);
    }
    return info;
}

// One plane, a width and height that a picture can have (a negative height:
// stored top down), and a pixel size the format knows.
void takeDimensions(const InfoHeader &info, BmpLayout &out)
{
    if (info.planes != 1)
        invalid();
    if (info.width <= 0 || info.height == 0 || info.height == INT32_MIN)
        invalid();
    out.width = int(info.width);
    out.topDown = info.height < 0;
    out.height = int(info.height < 0 ? -info.height : info.height);
    switch (info.bitsPerPixel) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        out.bitsPerPixel = int(info.bitsPerPixel);
        break;
    default:
        invalid();
    }
}

// The coding of the pixels and, for 16 and 32 bits, the colour masks (the
// file's own, which may follow the info header, or the defaults). Returns
// where the colour table starts.
size_t takeCoding(std::span<const uint8_t> file, uint32_t infoSize, const InfoHeader &info,
                  BmpLayout &out)
{
    const uint8_t *f = file.data();
    // In an OS/2 2.x header, compression 3 and 4 are Huffman and RLE24
    // coding, which are not supported, as are JPEG, PNG and CMYK content.
    const bool os2 = infoSize == 16 || infoSize == 64;
    size_t position = FileHeaderSize + infoSize;
    switch (info.compression) {
    case BI_RGB:
        out.coding = BmpLayout::Coding::Plain;
        if (info.bitsPerPixel == 16)
            out.masks = {0x7C00, 0x03E0, 0x001F};
        else if (info.bitsPerPixel == 32)
            out.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (info.bitsPerPixel != (info.compression == BI_RLE8 ? 8u : 4u) || out.topDown)
            invalid();
        out.coding
            = info.compression == BI_RLE8 ? BmpLayout::Coding::Rle8 : BmpLayout::Coding::Rle4;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS: {
        if (os2 || (info.bitsPerPixel != 16 && info.bitsPerPixel != 32))
            invalid();
        out.coding = BmpLayout::Coding::BitFields;
        const uint8_t *m = f + FileHeaderSize + 40;
        if (infoSize == 40) {
            // The masks follow the header; the alpha mask, when present,
            // is not used.
            const size_t maskBytes = info.compression == BI_BITFIELDS ? 12 : 16;
            if (file.size() < position + maskBytes)
                truncated();
            m = f + position;
            position += maskBytes;
        }
        out.masks = {u32(m), u32(m + 4), u32(m + 8)};
        checkMasks(out.masks, out.bitsPerPixel);
        break;
    }
    default:
        invalid();
    }
    return position;
}

// The colour table from paletteStart: as many entries as the header says,
// all of them in the file; without a count, the full table for the pixel
// size, or as much of it as lies before the pixels (such short tables
// occur). Returns where the table ends.
size_t takePalette(std::span<const uint8_t> file, uint64_t fileSize, uint32_t infoSize,
                   uint32_t pixelOffset, const InfoHeader &info, size_t paletteStart,
                   BmpLayout &out)
{
    const size_t entryBytes = infoSize == 12 ? 3 : 4;
    if (pixelOffset != 0 && pixelOffset < paletteStart)
        invalid();
    uint64_t entries = info.colours;
    if (entries == 0 && info.bitsPerPixel <= 8) {
        entries = uint64_t(1) << info.bitsPerPixel;
        if (pixelOffset >= paletteStart)
            entries = std::min<uint64_t>(entries, (pixelOffset - paletteStart) / entryBytes);
    }
    if (paletteStart + entries * entryBytes > fileSize)
        truncated();
    if (info.bitsPerPixel <= 8) {
        out.paletteSize = int(std::min<uint64_t>(entries, uint64_t(1) << info.bitsPerPixel));
        if (out.paletteSize == 0)
            invalid();
        for (int i = 0; i < out.paletteSize; ++i) {
            const uint8_t *e = file.data() + paletteStart + size_t(i) * entryBytes;
            out.palette[size_t(i)] = uint32_t(e[0]) | uint32_t(e[1]) << 8 | uint32_t(e[2]) << 16;
        }
    }
    return paletteStart + size_t(entries) * entryBytes;
}

// Where the pixels lie and how many bytes they take: for run-length coding
// the image size (or the rest of the file), all of it within the file;
// otherwise every row, the last one possibly without its padding, all of
// them within the file, whatever the image size says (it is not needed).
void locatePixels(uint64_t fileSize, size_t pixelOffset, const InfoHeader &info, BmpLayout &out)
{
    out.pixelOffset = pixelOffset;
    if (out.pixelOffset > fileSize)
        truncated();
    const uint64_t available = fileSize - out.pixelOffset;

    if (out.coding == BmpLayout::Coding::Rle8 || out.coding == BmpLayout::Coding::Rle4) {
        if (info.imageSize > available)
            truncated();
        out.pixelBytes = info.imageSize ? info.imageSize : available;
        return;
    }
    const uint64_t rowBits = uint64_t(out.width) * info.bitsPerPixel;
    const uint64_t rowBytes = (rowBits + 31) / 32 * 4;
    const uint64_t lastRowUsed = (rowBits + 7) / 8;
    // At most 2^31 rows of at most 2^34 bytes: the product needs 128 bits.
    const unsigned __int128 needed
        = (unsigned __int128)rowBytes * uint64_t(out.height - 1) + lastRowUsed;
    if (needed > available)
        truncated();
    out.rowBytes = size_t(rowBytes);
    out.pixelBytes = size_t(needed);
}

} // namespace

BmpLayout parseBmpHeader(std::span<const uint8_t> start, uint64_t fileSize)
{
    const FileHeader header = readFileHeader(start);
    const InfoHeader info = readInfoHeader(start, header.infoSize);
    BmpLayout out;
    takeDimensions(info, out);
    const size_t paletteStart = takeCoding(start, header.infoSize, info, out);
    const size_t paletteEnd = takePalette(start, fileSize, header.infoSize, header.pixelOffset,
                                          info, paletteStart, out);
    // An offset of 0 means the pixels follow the colour table.
    locatePixels(fileSize, header.pixelOffset ? header.pixelOffset : paletteEnd, info, out);
    return out;
}

BmpLayout parseBmpHeader(std::span<const uint8_t> file)
{
    return parseBmpHeader(file, file.size());
}

} // namespace masume
