#pragma once

#include <cstddef>
#include <cstdint>

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

    // Whether bytes may also be written at any offset (a file on disk, not
    // a pipe).
    virtual bool seekable() const { return false; }
    // Writes bytes at an offset from the start, beyond the end as well (the
    // gap reads as zeros until written); leaves where tryWrite appends
    // alone. False as tryWrite, and always where the sink is not seekable.
    virtual bool tryWriteAt(uint64_t offset, const void *data, size_t bytes) noexcept
    {
        return false;
    }
};

} // namespace masume
