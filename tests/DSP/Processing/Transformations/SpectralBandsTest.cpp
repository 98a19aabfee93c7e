#include "DSP/Processing/Transformations/SpectralBands.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

using DSP::ComputeThreeBandLimits;

// 513 bins up to 22050 Hz: 512 / 22050 bins per Hz.
TEST(SpectralBandsTest, CutoffsBecomeTheNearestBins) {
    const auto limits = ComputeThreeBandLimits(513, 22050.f, 500.f, 2000.f);
    EXPECT_EQ(limits.low, 12);  // 11.61
    EXPECT_EQ(limits.high, 46); // 46.44
    EXPECT_EQ(ComputeThreeBandLimits(513, 22050.f, 22050.f, 0.f).low, 512);
}

TEST(SpectralBandsTest, LimitsStayWithinTheSpectrum) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float cutoffHz;
        int bin;
    };
    for (const Case& c :
         {Case{22060.f, 512}, Case{22071.6f, 513}, Case{40000.f, 513}, Case{1e30f, 513},
          Case{inf, 513}, Case{-100.f, 0}, Case{-inf, 0}, Case{nan, 0}}) {
        const auto limits = ComputeThreeBandLimits(513, 22050.f, c.cutoffHz, c.cutoffHz);
        EXPECT_EQ(limits.low, c.bin) << c.cutoffHz;
        EXPECT_EQ(limits.high, c.bin) << c.cutoffHz;
    }
}

} // namespace
