#include "Quorvel/Transformations/AllocationCounter.hpp"

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
}

namespace {
std::atomic<int> sActiveCounters{0};
std::atomic<long> sCalls{0};

void Note() {
    if (sActiveCounters.load(std::memory_order_relaxed) > 0)
        sCalls.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

// These definitions replace the C library's entry points for the whole test executable.
extern "C" {
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

AllocationCounter::AllocationCounter() : mStart(sCalls.load()) { ++sActiveCounters; }
AllocationCounter::~AllocationCounter() { --sActiveCounters; }
long AllocationCounter::Calls() const { return sCalls.load() - mStart; }
