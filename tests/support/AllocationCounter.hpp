#pragma once

// Counts the heap calls made on any thread while a counter is alive, so that a test can prove
// that a render step never touches the heap. Every entry point of the C library's allocator is
// counted: malloc, calloc, realloc, reallocarray, the aligned ones and every free of a block,
// and so every operator new and delete, which end there. AllocationCounter.cpp replaces those
// entry points for the whole test executable that links it and forwards them to the C library.
// The address and thread sanitizers own the heap themselves, so under them nothing is replaced:
// Available() is false and tests that rely on the count skip.
class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    static bool Available();
    // Heap calls since construction.
    long Calls() const;

private:
    long mStart;
};

// Skips the current test when heap calls cannot be counted in this build.
#define SKIP_WITHOUT_ALLOCATION_COUNTER()                                                          \
    do {                                                                                           \
        if (!AllocationCounter::Available())                                                       \
            GTEST_SKIP() << "heap calls are not counted under a sanitizer";                        \
    } while (0)
