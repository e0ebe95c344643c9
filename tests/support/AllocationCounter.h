#pragma once

#include <cstdint>

namespace testing_support
{

/** Counts heap allocations (malloc, calloc, realloc, aligned allocations and therefore operator
    new) made by the calling thread while an instance is alive. The test executable replaces the C
    allocator's entry points with counting wrappers around glibc's own; other threads are not
    counted. Under AddressSanitizer the wrappers are not installed and `available()` is false. */
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();

    /** Allocations made by this thread since construction. */
    std::int64_t allocations() const;

    /** Whether counting works in this build. */
    static bool available();

private:
    std::int64_t start;
};

} // namespace testing_support
