// Counts heap allocations and frees made while a host session renders: the whole render path,
// the engine base's Process included, must make none once the engine is initialized. This
// executable is built only without sanitizers, so the count is always taken.

#include "RealtimeScenario.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

TEST(Allocations, RenderingAndParameterChangesAllocateNothing) {
    long during = 0;
    RealtimeTest::runScenario(
        [&](const std::function<void()>& work) {
            AllocationCounter heap;
            work();
            during += heap.Calls();
        },
        [](QuorvelAudio& engine, float** in, float** out, unsigned int frames) {
            engine.Process(in, out, frames);
        });
    EXPECT_EQ(during, 0);
}

#ifdef QUORVEL_LV2_DIR
#include "Lv2Scenario.hpp"

TEST(Allocations, Lv2RunAndWorkerAnswersAllocateNothing) {
    long during = 0;
    RealtimeTest::runLv2Scenario([&](const std::function<void()>& work) {
        AllocationCounter heap;
        work();
        during += heap.Calls();
    });
    EXPECT_EQ(during, 0);
}
#endif

TEST(Allocations, TheCounterSeesAllocations) {
    AllocationCounter heap;
    int* volatile kept = new int(3); // through a volatile, so that the compiler keeps the pair
    delete kept;
    EXPECT_EQ(heap.Calls(), 2);
}
