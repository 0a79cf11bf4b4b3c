#pragma once

// How much memory this process may still take. A picture's surfaces are
// refused before they are allocated when they would not fit: on Linux an
// allocation beyond the real limit seldom fails, the kernel ends the
// process instead (the OOM killer in a memory cgroup), taking the user's
// work with it.

#include <cstdint>
#include <string>

namespace masume {

// The smallest of the limits on this process's memory, in bytes: the
// machine's physical memory, its memory cgroup's limit (the smallest along
// its cgroup path, cgroup v2 memory.max or v1 memory.limit_in_bytes) and
// RLIMIT_AS. Physical memory and the cgroup limit are read once per
// process; RLIMIT_AS at every call.
uint64_t memoryLimit();

// What the process may still take, in bytes: physical memory and the
// cgroup limit less what the process holds in memory (its resident set),
// RLIMIT_AS less its address space in use; the smallest of these, 0 when
// one is used up. Reads /proc/self/statm, some microseconds.
uint64_t memoryHeadroom();

// The memory cgroup limit of this process as the files under `root` tell
// it (/proc/self/cgroup, /proc/self/mountinfo and the cgroup file systems
// they name); "/" for the real ones, a folder laid out alike in tests.
// UINT64_MAX when no limit is set or none can be found.
uint64_t cgroupMemoryLimit(const std::string &root);

} // namespace masume
