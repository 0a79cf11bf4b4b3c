#pragma once

#include <cstddef>

namespace masume {

// Where a writer puts a picture file's bytes, in order: the atomic file
// that replaces a file on disk, or standard output.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    // Appends bytes without raising, for writers inside a C library's
    // frames: false when the system did not take them all (a full disk, a
    // file-size limit, a closed pipe); the writer then raises
    // "ストリームへの書き込みエラー" outside the library.
    virtual bool tryWrite(const void *data, size_t bytes) noexcept = 0;
};

} // namespace masume
