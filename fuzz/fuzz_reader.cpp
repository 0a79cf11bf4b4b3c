// One reader fed with arbitrary file content, then a surface made from what
// it accepted. Anything but one of the readers' own messages, or a surface
// of another size than the picture's header gave (turned upright for a
// JPEG file's Exif orientation), is a finding. For JPEG files also the
// check of the first scan's data on a prefix of the file: it may not know
// yet, but what it says must be what it says of the whole file.
//
// Built once per reader (fuzz_bmp, fuzz_jpeg, fuzz_icon, fuzz_metafile).
// Replay: pass files instead of folders, e.g. bin/fuzz_bmp crash-1234.

#include "common/Error.h"
#include "picture/JpegScanCheck.h"
#include "picture/PictureFile.h"
#include "picture/ReaderMessages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace masume;

namespace {

#if defined(MASUME_FUZZ_BMP)
constexpr PictureKind Kind = PictureKind::Bitmap;
#elif defined(MASUME_FUZZ_JPEG)
constexpr PictureKind Kind = PictureKind::Jpeg;
#elif defined(MASUME_FUZZ_ICON)
constexpr PictureKind Kind = PictureKind::Icon;
#elif defined(MASUME_FUZZ_METAFILE)
constexpr PictureKind Kind = PictureKind::Metafile;
#endif

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // 4 megapixels: large enough for every header path, small enough that
    // a claimed size is decoded in milliseconds within the fuzzer's memory.
    setPicturePixelLimit(uint64_t(1) << 22);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
#if defined(MASUME_FUZZ_JPEG)
    {
        const std::vector<uint8_t> prefix(data, data + size / 2);
        const ScanDataVerdict part = checkFirstScanData(prefix, false);
        if (part != ScanDataVerdict::NeedMore
            && part != checkFirstScanData(std::span<const uint8_t>(data, size), true))
            std::abort();
    }
#endif
    try {
        const Picture picture = readPictureBytes(Kind, std::vector<uint8_t>(data, data + size));
        const Surface surface = makeSurface(picture);
        if (surface.width() != picture.width() || surface.height() != picture.height()
            || surface.pixelFormat() != PixelFormat::Rgb24)
            std::abort();
        // Every pixel is read once, so that any uninitialised or foreign
        // memory in the surface shows.
        unsigned sum = 0;
        for (int y = 0; y < surface.height(); ++y) {
            const uint8_t *row = surface.constScanLine(y);
            for (int x = 0; x < surface.width() * 3; ++x)
                sum += row[x];
        }
        if (sum == 0xFFFFFFFFu)
            std::abort();
    } catch (const Error &e) {
        if (!isReaderMessage(e.what()))
            std::abort();
    }
    return 0;
}
