#pragma once

// Allocation failures on demand, for the test programs that link
// support/FailingAllocations.cpp. That file takes the place of the C
// library's allocation functions (malloc, calloc, realloc, aligned_alloc,
// posix_memalign, memalign, valloc, pvalloc) and of operator new, so that
// every allocation of the program counts: its own, the standard library's
// and libjpeg's, which allocates through malloc. Each call is passed on to
// the allocator that would have served it (glibc's, or the sanitizer's in the
// sanitizer build, which then still checks every block).

#include <cstddef>
#include <cstdint>

namespace masume::test {

// Counts the allocations from now on and fails the n-th of them (1-based)
// once: it returns null (operator new throws std::bad_alloc). Those after
// it succeed. n = 0 counts without failing.
void failNthAllocation(uint64_t n);

// Fails, from now on, allocations of at least `bytes` bytes: every one, or
// when n > 0 the n-th of them (1-based) and every later one, as when
// memory runs out at that moment; smaller ones are not counted.
// For code that runs inside a toolkit that does not survive a failing
// allocation of its own, such as Qt: only picture-sized blocks fail.
void failAllocationsOfAtLeast(size_t bytes, uint64_t n = 0);

// Stops counting and failing; returns how many allocations were counted
// since failNthAllocation or failAllocationsOfAtLeast.
uint64_t stopFailingAllocations();

// Counting paused while a test takes its own notes, without changing the
// count.
void pauseAllocationCount(bool paused);

// Whether an allocation was failed since the last failNthAllocation or
// failAllocationsOfAtLeast.
bool anAllocationFailed();

} // namespace masume::test
