#pragma once

// Helpers of the JPEG tests: the library's error message, made-up frame
// sizes, photo-like files written by cjpeg.

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

// A photo-like picture of w x h (photoLike with that seed) written by cjpeg
// with the given options into the folder as `name`; its bytes.
inline std::vector<uint8_t> cjpegPhoto(const TempDir &dir, const std::string &name, int w, int h,
                                       unsigned seed, const std::string &options = "")
{
    writePpm(photoLike(w, h, seed), dir.file(name + ".ppm"));
    if (run("cjpeg " + options + " -outfile '" + dir.file(name) + "' '" + dir.file(name + ".ppm")
            + "'")
        != 0)
        ADD_FAILURE() << "cjpeg " << options << " failed";
    return fileBytes(dir.file(name));
}

// A progressive file of under 1 KB whose frame claims 49157 x 27397 pixels
// (1.3 gigapixels), while its first scan holds the blocks of 64 x 48.
inline std::vector<uint8_t> smallFileClaimingAHugePicture(const TempDir &dir)
{
    return withFrameSize(cjpegPhoto(dir, "small.jpg", 64, 48, 1, "-progressive"), 49157, 27397);
}

} // namespace masume::test
