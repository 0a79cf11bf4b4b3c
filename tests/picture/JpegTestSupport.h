#pragma once

// Helpers of the JPEG tests: the library's error message, made-up frame
// sizes.

#include "PictureTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace masume::test {

inline const std::string JpegFixtures = Fixtures + "/jpeg";

inline std::string jpegError(int code)
{
    return "JPEG エラー #" + std::to_string(code);
}

// A JPEG file with the frame size patched to w x h.
inline std::vector<uint8_t> withFrameSize(std::vector<uint8_t> file, int w, int h)
{
    for (size_t i = 2; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = uint8_t(h >> 8);
            file[i + 6] = uint8_t(h);
            file[i + 7] = uint8_t(w >> 8);
            file[i + 8] = uint8_t(w);
            return file;
        }
    ADD_FAILURE() << "no frame header";
    return file;
}

} // namespace masume::test
