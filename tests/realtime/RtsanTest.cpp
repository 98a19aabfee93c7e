// Renders every short-time program inside the real-time sanitizer's real-time context: the
// first allocation, free, lock or blocking call on the render path ends the test with a report.
// The engine base's own lock is the one lock the render path may take, so the engine's block
// processing is called below it.

#include "RealtimeScenario.hpp"

#include <gtest/gtest.h>

extern "C" {
void __rtsan_init();
void __rtsan_realtime_enter();
void __rtsan_realtime_exit();
}

TEST(RealtimeSanitizer, RenderPathNeitherAllocatesNorLocks) {
    __rtsan_init();
    RealtimeTest::runScenario(
        [](const std::function<void()>& work) {
            __rtsan_realtime_enter();
            work();
            __rtsan_realtime_exit();
        },
        [](QuorvelAudio& engine, float** in, float** out, unsigned int frames) {
            engine.DoProcess(in, out, frames);
        });
    SUCCEED();
}

#ifdef QUORVEL_LV2_DIR
#include "Lv2Scenario.hpp"

// The plug-in's `run` and `work_response` as a host's audio thread calls them: nothing there may
// wait, not even for the engine base's lock.
TEST(RealtimeSanitizer, Lv2RunNeitherAllocatesNorLocks) {
    __rtsan_init();
    RealtimeTest::runLv2Scenario([](const std::function<void()>& work) {
        __rtsan_realtime_enter();
        work();
        __rtsan_realtime_exit();
    });
    SUCCEED();
}
#endif
