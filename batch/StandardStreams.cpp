#include "batch/StandardStreams.h"

#include <cerrno>
#include <cstdint>
#include <unistd.h>

namespace masume::batch {

bool StandardOutput::tryWrite(const void *data, size_t bytes) noexcept
{
    const auto *p = static_cast<const uint8_t *>(data);
    while (bytes > 0) {
        const ssize_t done = ::write(STDOUT_FILENO, p, bytes);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        p += done;
        bytes -= size_t(done);
    }
    return true;
}

} // namespace masume::batch
