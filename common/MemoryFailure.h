#pragma once

#include "common/Error.h"
#include "common/Messages.h"

#include <cstring>
#include <new>

namespace masume {

// Whether an error is the program's "メモリが不足しています".
inline bool isOutOfMemory(const Error &e)
{
    return std::strcmp(e.what(), msg::OutOfMemory) == 0;
}

// Runs work. When it fails for want of memory (std::bad_alloc, or the
// program's "メモリが不足しています"), undo puts back what work changed, and
// the error goes on; any other error goes on untouched. undo must not fail:
// moves and assignments of surfaces, which allocate nothing.
template<typename Work, typename Undo> void undoOnMemoryFailure(Work &&work, Undo &&undo)
{
    try {
        work();
    } catch (const std::bad_alloc &) {
        undo();
        throw;
    } catch (const Error &e) {
        if (isOutOfMemory(e))
            undo();
        throw;
    }
}

} // namespace masume
