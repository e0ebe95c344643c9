#include "support/AllocationCounter.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVILO_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TAVILO_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef TAVILO_COUNT_ALLOCATIONS
#define TAVILO_COUNT_ALLOCATIONS 1
#endif

namespace
{
// Plain thread-local integer: no constructor, so reading it never allocates.
thread_local std::int64_t allocationCount = 0;
} // namespace

#if TAVILO_COUNT_ALLOCATIONS
extern "C"
{
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size)
{
    ++allocationCount;
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    ++allocationCount;
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    ++allocationCount;
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    ++allocationCount;
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    ++allocationCount;
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size)
{
    ++allocationCount;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr)
        return ENOMEM;
    *result = p;
    return 0;
}

void free(void* pointer)
{
    __libc_free(pointer);
}
}
#endif

namespace testing_support
{

AllocationCounter::AllocationCounter() : start(allocationCount) {}

AllocationCounter::~AllocationCounter() = default;

std::int64_t AllocationCounter::allocations() const
{
    return allocationCount - start;
}

bool AllocationCounter::available()
{
    return TAVILO_COUNT_ALLOCATIONS != 0;
}

} // namespace testing_support
