// Counts heap allocations and frees made while a host session renders, through replaced
// malloc family functions and operator new/delete: the whole render path, the engine base's
// Process included, must make none once the engine is initialized.

#include "RealtimeScenario.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gCalls{0};
void note() {
    if (gCounting.load(std::memory_order_relaxed))
        gCalls.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" {
void* malloc(size_t n) {
    note();
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    note();
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    note();
    return __libc_realloc(p, n);
}
void free(void* p) {
    if (p)
        note();
    __libc_free(p);
}
}

void* operator new(size_t n) {
    note();
    if (void* p = __libc_malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) {
    return operator new(n);
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete[](void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
void operator delete[](void* p, size_t) noexcept {
    free(p);
}

TEST(Allocations, RenderingAndParameterChangesAllocateNothing) {
    long during = 0;
    RealtimeTest::runScenario(
        [&](const std::function<void()>& work) {
            gCalls = 0;
            gCounting = true;
            work();
            gCounting = false;
            during += gCalls.load();
        },
        [](QuorvelAudio& engine, float** in, float** out, unsigned int frames) {
            engine.Process(in, out, frames);
        });
    EXPECT_EQ(during, 0);
}

TEST(Allocations, TheCounterSeesAllocations) {
    gCalls = 0;
    gCounting = true;
    delete new int(3);
    gCounting = false;
    EXPECT_EQ(gCalls.load(), 2);
}
