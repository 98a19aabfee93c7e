#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The initial cutoffs at 44100 Hz and 513 bins: 500 Hz → bin 12, 3000 Hz → bin 70.
constexpr int kL = 12;
constexpr int kM = 70;
constexpr int kLast = kEngineBins - 1;
// The crossfade from a (below) to b (above) at offset −2 … 2 from its boundary bin.
double Fade(int offset, double a, double b) {
    const double weight[] = {0.125, 0.625, 1.5, 2.375, 2.875};
    return (a * (3 - weight[offset + 2]) + b * weight[offset + 2]) / 3;
}

class ThreeBandFilterTest : public EffectTest<DSP::ThreeBandFilter> {
protected:
    void Run() {
        DSP::Spectrum in = MakeSpectrum(kEngineBins);
        Fill(
            in, [](int k) { return 0.5f + 0.001f * static_cast<float>(k); },
            [](int k) { return 0.01f * static_cast<float>(k); });
        factors = Factors(in);
    }
    // Bins first … last were scaled by `expected`; 1 is exact, a band at 0 dB.
    void ExpectFactor(int first, int last, double expected) const {
        for (int k = first; k <= last; ++k) {
            if (expected == 1.0) {
                ASSERT_EQ(factors[k], 1.0) << "bin " << k;
            } else {
                EXPECT_NEAR(factors[k], expected, kDbRelativeTolerance * expected) << "bin " << k;
            }
        }
    }

    std::vector<double> factors;
};

TEST_F(ThreeBandFilterTest, MinusSixDecibelsHalveTheLowBandAndLeaveTheOthers) {
    Run();
    ExpectFactor(0, kLast, 1); // all three at 0 dB
    Set("LowGain", -6.f);
    Run();
    EXPECT_NEAR(factors[0], 0.501187, 1e-6); // 10^(−6/20), to the digits given
    ExpectFactor(0, kL - 3, Linear(-6));
    for (int offset = -2; offset <= 2; ++offset)
        ExpectFactor(kL + offset, kL + offset, Fade(offset, Linear(-6), 1));
    ExpectFactor(kL + 3, kLast, 1);
}

TEST_F(ThreeBandFilterTest, GainBelowTheFastPowerRangeSilencesItsBandExactly) {
    Set("MidGain", -800.f);
    Set("HighGain", 6.f);
    Run();
    for (int k = kL + 3; k <= kM - 3; ++k)
        ASSERT_EQ(factors[k], 0.0) << "bin " << k;
    ExpectFactor(kL - 1, kL - 1, Fade(-1, 1, 0));
    ExpectFactor(kM + 1, kM + 1, Fade(1, 0, Linear(6)));
    ExpectFactor(kM + 3, kLast, Linear(6));
}

// A low cutoff of 0 (or below, or NaN) raises its boundary to bin 2, so the low crossfade
// starts at bin 0; a high cutoff at half the sample rate (or beyond) lowers its boundary to
// n − 3, so the high band is only its crossfade.
TEST_F(ThreeBandFilterTest, BoundariesAtTheEndsKeepTheirCrossfadesInside) {
    const float inf = std::numeric_limits<float>::infinity();
    Set("LowGain", -6.f);
    Set("HighGain", 6.f);
    for (auto [lowHz, highHz] :
         {std::pair{0.f, 22050.f}, std::pair{-500.f, 30000.f}, std::pair{std::nanf(""), inf}}) {
        Set("LowCutoff", lowHz);
        Set("HighCutoff", highHz);
        Run();
        for (int offset = -2; offset <= 2; ++offset) {
            ExpectFactor(2 + offset, 2 + offset, Fade(offset, Linear(-6), 1));
            ExpectFactor(kLast - 2 + offset, kLast - 2 + offset, Fade(offset, 1, Linear(6)));
        }
        ExpectFactor(5, kLast - 5, 1);
    }
}

TEST_F(ThreeBandFilterTest, CrossfadesCloserThanFiveBinsCompound) {
    Set("HighCutoff", 14.f * 22050.f / 512.f); // bin 14: bins 12 … 14 take both crossfades
    Set("LowGain", -6.f);
    Set("MidGain", -20.f);
    Set("HighGain", 6.f);
    Run();
    const double a = Linear(-6), b = Linear(-20), c = Linear(6);
    ExpectFactor(11, 11, Fade(-1, a, b));
    ExpectFactor(12, 12, Fade(0, a, b) * Fade(-2, b, c));
    ExpectFactor(13, 13, Fade(1, a, b) * Fade(-1, b, c));
    ExpectFactor(14, 14, Fade(2, a, b) * Fade(0, b, c));
    ExpectFactor(15, 15, Fade(1, b, c));
}

} // namespace
