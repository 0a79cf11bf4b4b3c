// FailingAllocations as a library to preload into a real program
// (LD_PRELOAD): with MASUME_FAIL_FROM=BYTES in its environment, every
// allocation of at least that many bytes fails, the program's own, the
// standard library's and libjpeg's alike.

#include "support/FailingAllocations.h"

#include <cstdlib>

namespace {

__attribute__((constructor)) void failFromEnvironment()
{
    if (const char *bytes = std::getenv("MASUME_FAIL_FROM"))
        masume::test::failAllocationsOfAtLeast(std::strtoull(bytes, nullptr, 10));
}

} // namespace
