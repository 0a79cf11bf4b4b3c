#include "picture/WholeWrites.h"

#include <cerrno>
#include <unistd.h>

namespace masume {

namespace {

// `put(p, n, done)` writes up to n bytes from p, `done` bytes after the
// first, and returns what write(2) returns.
template<typename Put> bool putWhole(const void *data, size_t bytes, Put put) noexcept
{
    const auto *p = static_cast<const uint8_t *>(data);
    uint64_t done = 0;
    while (bytes > 0) {
        const ssize_t n = put(p, bytes, done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= size_t(n);
        done += uint64_t(n);
    }
    return true;
}

} // namespace

bool writeWhole(int fd, const void *data, size_t bytes) noexcept
{
    return putWhole(data, bytes,
                    [fd](const uint8_t *p, size_t n, uint64_t) { return ::write(fd, p, n); });
}

bool writeWholeAt(int fd, uint64_t offset, const void *data, size_t bytes) noexcept
{
    return putWhole(data, bytes, [fd, offset](const uint8_t *p, size_t n, uint64_t done) {
        return ::pwrite(fd, p, n, off_t(offset + done));
    });
}

} // namespace masume
