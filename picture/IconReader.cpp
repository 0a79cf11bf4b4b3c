#include "common/Error.h"
#include "common/Messages.h"
#include "picture/LittleEndian.h"
#include "picture/PictureData.h"

#include <cstring>

namespace masume {

namespace {

constexpr size_t DirectoryHeader = 6;
constexpr size_t DirectoryEntry = 16;
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

[[noreturn]] void invalid()
{
    raise(msg::IconInvalid);
}

} // namespace

// An icon file is only checked, never drawn: the icon directory (reserved
// 0, type 1, at least one image) and each image's bytes, which must lie in
// the file after the directory and begin as a DIB (a 40-byte info header)
// or a PNG file.
Picture readIcon(std::span<const uint8_t> file)
{
    const uint8_t *f = file.data();
    const size_t n = file.size();
    if (n < DirectoryHeader || le::u16(f) != 0 || le::u16(f + 2) != 1)
        invalid();
    const size_t count = le::u16(f + 4);
    const size_t directoryEnd = DirectoryHeader + count * DirectoryEntry;
    if (count == 0 || directoryEnd > n)
        invalid();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t *e = f + DirectoryHeader + i * DirectoryEntry;
        const uint64_t bytes = le::u32(e + 8);
        const uint64_t offset = le::u32(e + 12);
        if (offset < directoryEnd || offset + bytes > n)
            invalid();
        const uint8_t *image = f + offset;
        const bool png = bytes >= sizeof PngSignature
            && std::memcmp(image, PngSignature, sizeof PngSignature) == 0;
        const bool dib = bytes >= 40 && le::u32(image) == 40;
        if (!png && !dib)
            invalid();
    }
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Icon;
    // A size byte of 0 stands for 256 pixels.
    data->width = f[DirectoryHeader] ? f[DirectoryHeader] : 256;
    data->height = f[DirectoryHeader + 1] ? f[DirectoryHeader + 1] : 256;
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

} // namespace masume
