#include "AllocationCounter.hpp"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORVEL_COUNT_ALLOCATIONS 0
#else
#define QUORVEL_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<int> sActiveCounters{0};
std::atomic<long> sCalls{0};

[[maybe_unused]] void Note() {
    if (sActiveCounters.load(std::memory_order_relaxed) > 0)
        sCalls.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

#if QUORVEL_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);

// These definitions replace the C library's entry points for the whole test executable.
void* malloc(std::size_t size) {
    Note();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    Note();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    Note();
    return __libc_realloc(pointer, size);
}
void free(void* pointer) {
    if (pointer != nullptr)
        Note();
    __libc_free(pointer);
}
}
#endif

AllocationCounter::AllocationCounter() : mStart(sCalls.load()) {
    ++sActiveCounters;
}
AllocationCounter::~AllocationCounter() {
    --sActiveCounters;
}
bool AllocationCounter::Available() {
    return QUORVEL_COUNT_ALLOCATIONS != 0;
}
long AllocationCounter::Calls() const {
    return sCalls.load() - mStart;
}
