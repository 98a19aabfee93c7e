#pragma once

// Counts heap calls (malloc, calloc, realloc, free, and so every operator new and delete)
// made while a counter is alive, so that a test can prove that a render step never touches
// the heap. The interposer lives in AllocationCounter.cpp and forwards to the C library.
class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Heap calls since construction.
    long Calls() const;

private:
    long mStart;
};
