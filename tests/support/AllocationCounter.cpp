#include "support/AllocationCounter.hpp"

#include <atomic>
#include <cerrno>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                         \
    __has_feature(memory_sanitizer)
#define QUORVEL_HEAP_OWNED_BY_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORVEL_HEAP_OWNED_BY_SANITIZER 1
#endif

#ifdef QUORVEL_HEAP_OWNED_BY_SANITIZER
#define QUORVEL_COUNT_ALLOCATIONS 0
#else
#define QUORVEL_COUNT_ALLOCATIONS 1
#endif

namespace {
// Both are constant-initialized, so they are ready before the first allocation of the program.
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
void* __libc_memalign(std::size_t alignment, std::size_t size);
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
void* reallocarray(void* pointer, std::size_t count, std::size_t size) {
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(pointer, bytes);
}
void* memalign(std::size_t alignment, std::size_t size) {
    Note();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* pointer = memalign(alignment, size);
    if (pointer == nullptr)
        return ENOMEM;
    *out = pointer;
    return 0;
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
