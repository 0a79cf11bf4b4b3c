// The Exif parser fed with arbitrary APP1 payloads. The input is copied
// into a block of exactly its size, so that a read beyond it shows to the
// address sanitizer; an orientation outside 1 to 8 is a finding.
//
// The parser also runs inside fuzz_jpeg, on the Exif blocks of the files
// that target makes; this target reaches its directories without a JPEG
// file around them.

#include "picture/ExifOrientation.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<uint8_t> block(data, data + size);
    const int orientation = masume::exifOrientation(block);
    if (orientation < 1 || orientation > 8)
        std::abort();
    return 0;
}
