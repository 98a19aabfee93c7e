#pragma once

// Counts heap calls (malloc, calloc, realloc, free, and so every operator new and delete)
// made while a counter is alive, so that a test can prove that a render step never touches
// the heap. The interposer lives in AllocationCounter.cpp and forwards to the C library.
// Under the address or thread sanitizer, which own the heap themselves, there is no
// interposer: Available() is false and tests that rely on the count skip.
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
