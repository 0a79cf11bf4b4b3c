#include "support/FailingAllocations.h"

#include <cerrno>
#include <cstdlib>
#include <new>
#include <pthread.h>

// The allocator that serves a call when this file does not fail it.
#if defined(__SANITIZE_ADDRESS__)
extern "C" {
void *__interceptor_malloc(size_t);
void *__interceptor_calloc(size_t, size_t);
void *__interceptor_realloc(void *, size_t);
void *__interceptor_memalign(size_t, size_t);
void *__interceptor_aligned_alloc(size_t, size_t);
int __interceptor_posix_memalign(void **, size_t, size_t);
void *__interceptor_valloc(size_t);
void *__interceptor_pvalloc(size_t);
}
#define REAL_MALLOC __interceptor_malloc
#define REAL_CALLOC __interceptor_calloc
#define REAL_REALLOC __interceptor_realloc
#define REAL_MEMALIGN __interceptor_memalign
#define REAL_VALLOC __interceptor_valloc
#define REAL_PVALLOC __interceptor_pvalloc
#else
extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void *__libc_valloc(size_t);
void *__libc_pvalloc(size_t);
}
#define REAL_MALLOC __libc_malloc
#define REAL_CALLOC __libc_calloc
#define REAL_REALLOC __libc_realloc
#define REAL_MEMALIGN __libc_memalign
#define REAL_VALLOC __libc_valloc
#define REAL_PVALLOC __libc_pvalloc
#endif

namespace {

// The state, read with the compiler's atomic built-ins: these functions
// run before main, even before the sanitizer runtime is set up (the dynamic
// loader allocates through them), so they must neither be instrumented nor
// call instrumented code.
#define NOT_INSTRUMENTED __attribute__((no_sanitize("address", "undefined")))

bool counting = false;
bool paused = false;
uint64_t counted = 0;
uint64_t failAt = 0;
size_t failFrom = 0;
bool failed = false;
// Threads between pthread_create and their first instruction of their own.
int threadsStarting = 0;

template<typename T> NOT_INSTRUMENTED T get(const T &value)
{
    return __atomic_load_n(&value, __ATOMIC_RELAXED);
}

template<typename T> NOT_INSTRUMENTED void set(T &variable, T value)
{
    __atomic_store_n(&variable, value, __ATOMIC_RELAXED);
}

// Whether this allocation of `bytes` is to fail.
NOT_INSTRUMENTED bool fails(size_t bytes)
{
    if (get(threadsStarting) > 0)
        return false;
    const size_t from = get(failFrom);
    if (from != 0 && bytes < from)
        return false;
    if (from != 0 && get(failAt) == 0) {
        set(failed, true);
        return true;
    }
    if (!get(counting) || get(paused))
        return false;
    const uint64_t n = __atomic_add_fetch(&counted, 1, __ATOMIC_RELAXED);
    // Blocks of a size fail from the n-th on; single allocations only at n.
    if (from != 0 ? n < get(failAt) : n != get(failAt))
        return false;
    set(failed, true);
    return true;
}

void *newBlock(size_t bytes, size_t alignment)
{
    if (bytes == 0)
        bytes = 1;
    if (!fails(bytes)) {
        void *p = alignment > alignof(std::max_align_t) ? REAL_MEMALIGN(alignment, bytes)
                                                        : REAL_MALLOC(bytes);
        if (p)
            return p;
    }
    throw std::bad_alloc();
}

} // namespace

namespace masume::test {

void failNthAllocation(uint64_t n)
{
    set(failFrom, size_t(0));
    set(failed, false);
    set(paused, false);
    set(counted, uint64_t(0));
    set(failAt, n);
    set(counting, true);
}

void failAllocationsOfAtLeast(size_t bytes, uint64_t n)
{
    set(counting, false);
    set(failed, false);
    set(paused, false);
    set(counted, uint64_t(0));
    set(failAt, n);
    set(failFrom, bytes);
    set(counting, n != 0);
}

uint64_t stopFailingAllocations()
{
    set(counting, false);
    set(failFrom, size_t(0));
    return get(counted);
}

void pauseAllocationCount(bool pause)
{
    set(paused, pause);
}

bool anAllocationFailed()
{
    return get(failed);
}

} // namespace masume::test

extern "C" {

NOT_INSTRUMENTED void *malloc(size_t bytes)
{
    return fails(bytes) ? nullptr : REAL_MALLOC(bytes);
}

NOT_INSTRUMENTED void *calloc(size_t count, size_t size)
{
    return fails(count * size) ? nullptr : REAL_CALLOC(count, size);
}

NOT_INSTRUMENTED void *realloc(void *p, size_t bytes)
{
    // A shrinking realloc cannot run out of memory, but a growing one can:
    // both count, as the caller must handle null from either.
    return bytes != 0 && fails(bytes) ? nullptr : REAL_REALLOC(p, bytes);
}

NOT_INSTRUMENTED void *memalign(size_t alignment, size_t bytes)
{
    return fails(bytes) ? nullptr : REAL_MEMALIGN(alignment, bytes);
}

NOT_INSTRUMENTED void *aligned_alloc(size_t alignment, size_t bytes)
{
    return fails(bytes) ? nullptr : REAL_MEMALIGN(alignment, bytes);
}

NOT_INSTRUMENTED int posix_memalign(void **out, size_t alignment, size_t bytes)
{
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    if (fails(bytes))
        return ENOMEM;
    void *p = REAL_MEMALIGN(alignment, bytes);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

NOT_INSTRUMENTED void *valloc(size_t bytes)
{
    return fails(bytes) ? nullptr : REAL_VALLOC(bytes);
}

NOT_INSTRUMENTED void *pvalloc(size_t bytes)
{
    return fails(bytes) ? nullptr : REAL_PVALLOC(bytes);
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime starts every thread by asking glibc for its
// attributes (pthread_getattr_np), which allocates, and glibc neither
// reports every failure there nor does the runtime take one: the process
// aborts or crashes. So while a thread is being started, from
// pthread_create until its routine runs, no allocation in any thread is
// failed or counted. The release pass, without the runtime, fails them.
int __interceptor_pthread_create(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);

namespace {

struct ThreadStart
{
    void *(*routine)(void *);
    void *argument;
};

void *startThread(void *p)
{
    const ThreadStart start = *static_cast<ThreadStart *>(p);
    std::free(p);
    __atomic_sub_fetch(&threadsStarting, 1, __ATOMIC_RELAXED);
    return start.routine(start.argument);
}

} // namespace

int pthread_create(pthread_t *thread, const pthread_attr_t *attributes, void *(*routine)(void *),
                   void *argument)
{
    __atomic_add_fetch(&threadsStarting, 1, __ATOMIC_RELAXED);
    auto *start = static_cast<ThreadStart *>(REAL_MALLOC(sizeof(ThreadStart)));
    if (!start) {
        __atomic_sub_fetch(&threadsStarting, 1, __ATOMIC_RELAXED);
        return EAGAIN;
    }
    *start = {routine, argument};
    const int result = __interceptor_pthread_create(thread, attributes, startThread, start);
    if (result != 0) {
        std::free(start);
        __atomic_sub_fetch(&threadsStarting, 1, __ATOMIC_RELAXED);
    }
    return result;
}
#endif

} // extern "C"

// operator new: the sanitizer runtime serves it itself, not through malloc,
// so it is replaced here too, on top of malloc and free.
void *operator new(size_t bytes)
{
    return newBlock(bytes, 0);
}

void *operator new[](size_t bytes)
{
    return newBlock(bytes, 0);
}

void *operator new(size_t bytes, std::align_val_t alignment)
{
    return newBlock(bytes, size_t(alignment));
}

void *operator new[](size_t bytes, std::align_val_t alignment)
{
    return newBlock(bytes, size_t(alignment));
}

void *operator new(size_t bytes, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(bytes, 0);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void *operator new[](size_t bytes, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(bytes, 0);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void *operator new(size_t bytes, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(bytes, size_t(alignment));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void *operator new[](size_t bytes, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    try {
        return newBlock(bytes, size_t(alignment));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete[](void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, size_t) noexcept
{
    std::free(p);
}

void operator delete[](void *p, size_t) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete[](void *p, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete(void *p, size_t, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete[](void *p, size_t, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete(void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}

void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    std::free(p);
}

void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    std::free(p);
}
