#pragma once

#include <cstddef>
#include <cstdint>

namespace masume {

// Writes all `bytes` to the open file descriptor `fd`, at its position or
// at `offset` (pwrite), going on after a short write or an interrupting
// signal. False where the system refuses (a full disk, a file-size limit,
// a closed pipe with SIGPIPE ignored); errno then says why.
bool writeWhole(int fd, const void *data, size_t bytes) noexcept;
bool writeWholeAt(int fd, uint64_t offset, const void *data, size_t bytes) noexcept;

} // namespace masume
