#include "DSP/Misc/PhaseWrap.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::kTwoPi;
using DSP::WrapPhase;

TEST(PhaseWrapTest, WholeTurnsAreRemoved) {
    struct Case {
        float phase, wrapped;
    };
    // The inputs themselves are rounded to single precision: near 45 rad one step is 3.8e-6.
    for (const Case& c : {Case{0.f, 0.f}, Case{1.f, 1.f}, Case{kTwoPi, 0.f},
                          Case{kTwoPi + 0.5f, 0.5f}, Case{-0.5f, kTwoPi - 0.5f},
                          Case{7.f * kTwoPi + 1.f, 1.f}, Case{-3.f * kTwoPi - 1.f, kTwoPi - 1.f}})
        EXPECT_NEAR(WrapPhase(c.phase), c.wrapped, 4e-6f) << c.phase;
}

TEST(PhaseWrapTest, ResultLiesWithinOneTurn) {
    for (float phase = -100.f; phase < 100.f; phase += 0.37f) {
        const float wrapped = WrapPhase(phase);
        ASSERT_GE(wrapped, 0.f) << phase;
        ASSERT_LE(wrapped, kTwoPi) << phase;
    }
}

} // namespace
