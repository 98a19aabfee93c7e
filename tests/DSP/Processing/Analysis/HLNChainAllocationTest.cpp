#include "DSP/Processing/HLNChainHarness.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

// Once configured and started, a hop of harmonic analysis and synthesis touches no heap,
// whether the frame is voiced (peaks and tracks) or noise (many peaks, unvoiced), and across
// the changes between the two, which change every peak and candidate count.
TEST(HLNChainAllocationTest, HopsOfToneAndNoiseAllocateNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    HLNChain chain;
    const std::vector<float> tone = HarmonicTone(60 * kHLNHop);
    const std::vector<float> noise = GaussianNoise(60 * kHLNHop, 0.1f, 11);
    std::vector<float> out;
    out.reserve(4 * 60 * kHLNHop);
    for (std::size_t start = 0; start < 12 * kHLNHop; start += kHLNHop)
        chain.Hop(tone, start, out);
    AllocationCounter counter;
    for (const std::vector<float>* x : {&tone, &noise, &tone})
        for (std::size_t start = 0; start < x->size(); start += kHLNHop)
            chain.Hop(*x, start, out);
    EXPECT_EQ(counter.Calls(), 0);
}
