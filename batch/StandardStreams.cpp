#include "batch/StandardStreams.h"

#include "picture/WholeWrites.h"

#include <unistd.h>

namespace masume::batch {

bool StandardOutput::tryWrite(const void *data, size_t bytes) noexcept
{
    return writeWhole(STDOUT_FILENO, data, bytes);
}

} // namespace masume::batch
