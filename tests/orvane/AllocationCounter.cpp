#include "orvane/AllocationCounter.hpp"

#include <cstdlib>
#include <new>

namespace {
thread_local bool tCounting = false;
thread_local long tAllocations = 0;
} // namespace

namespace allocations {

void start() {
    tAllocations = 0;
    tCounting = true;
}

long stop() {
    tCounting = false;
    return tAllocations;
}

} // namespace allocations

void* operator new(std::size_t size) {
    if (tCounting)
        ++tAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
