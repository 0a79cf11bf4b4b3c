// FailingAllocations as a library to preload into a real program
// (LD_PRELOAD): with MASUME_FAIL_FROM=BYTES in its environment, every
// allocation of at least that many bytes fails, the program's own, the
// standard library's and libjpeg's alike; with MASUME_FAIL_NTH=N as well,
// the N-th of them and every later one.

#include "support/FailingAllocations.h"

#include <cstdlib>

namespace {

__attribute__((constructor)) void failFromEnvironment()
{
    const char *bytes = std::getenv("MASUME_FAIL_FROM");
    const char *nth = std::getenv("MASUME_FAIL_NTH");
    if (bytes)
        masume::test::failAllocationsOfAtLeast(std::strtoull(bytes, nullptr, 10),
                                               nth ? std::strtoull(nth, nullptr, 10) : 0);
}

} // namespace
