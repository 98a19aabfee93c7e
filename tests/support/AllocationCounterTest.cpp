#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <thread>

namespace {

// Every pointer goes through here, so that the compiler cannot pair up an allocation with its
// free and drop both.
void* volatile gSink = nullptr;
void* Keep(void* pointer) {
    gSink = pointer;
    return gSink;
}

TEST(AllocationCounter, SeesEveryEntryPointOfTheHeap) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    AllocationCounter heap;
    void* block = Keep(std::malloc(16));
    block = Keep(std::realloc(block, 4096));
    std::free(block);
    std::free(Keep(std::calloc(4, 8)));
    std::free(Keep(reallocarray(nullptr, 4, 8)));
    std::free(Keep(aligned_alloc(64, 128)));
    std::free(Keep(memalign(64, 128)));
    void* aligned = nullptr;
    ASSERT_EQ(posix_memalign(&aligned, 64, 128), 0);
    std::free(Keep(aligned));
    delete[] static_cast<char*>(Keep(new char[32]));
    EXPECT_EQ(heap.Calls(), 2 + 1 + 2 * 6); // malloc, realloc, its free; six pairs
}

TEST(AllocationCounter, CountsOtherThreadsAndOnlyWhileAlive) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    std::atomic<int> stage{0};
    std::thread other([&] {
        while (stage.load() != 1) {
        }
        std::free(Keep(std::malloc(8)));
        stage = 2;
        while (stage.load() != 3) { // the thread's own teardown frees: keep it out of the count
        }
    });
    long calls = 0;
    {
        AllocationCounter heap;
        stage = 1;
        while (stage.load() != 2) {
        }
        calls = heap.Calls();
    }
    stage = 3;
    other.join();
    EXPECT_EQ(calls, 2);
    AllocationCounter later;
    EXPECT_EQ(later.Calls(), 0);
}

TEST(AllocationCounter, ReplacedEntryPointsKeepTheirFailureContract) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    int marker = 0;
    void* out = &marker;
    EXPECT_EQ(posix_memalign(&out, 24, 64), EINVAL); // not a power of two
    EXPECT_EQ(posix_memalign(&out, 2, 64), EINVAL);  // below the size of a pointer
    EXPECT_EQ(out, &marker);
    volatile std::size_t tooMany = SIZE_MAX / 2; // hidden from the compiler, which would warn
    errno = 0;
    EXPECT_EQ(reallocarray(nullptr, tooMany, 3), nullptr);
    EXPECT_EQ(errno, ENOMEM);
    void* aligned = Keep(aligned_alloc(256, 512));
    ASSERT_NE(aligned, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(aligned) % 256, 0u);
    std::free(aligned);
}

} // namespace
