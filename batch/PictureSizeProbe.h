#pragma once

#include <cstdint>
#include <string>

namespace masume::batch {

// The pixels of the picture in a file as its header states them: the BMP
// headers' width and height, or a JPEG file's frame header found by walking
// its markers. 0 when the file cannot be read or its start is neither.
//
// Only an estimate for scheduling parallel jobs, never used to allocate:
// the job reads and checks the file for real, and reports what is wrong
// with it.
uint64_t probePicturePixels(const std::string &fileName);

} // namespace masume::batch
