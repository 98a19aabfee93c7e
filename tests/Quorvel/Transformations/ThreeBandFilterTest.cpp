#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// The initial cutoffs at 44100 Hz and 513 bins: 500 Hz → bin 12, 3000 Hz → bin 70.
constexpr int kL = 12;
constexpr int kM = 70;
constexpr int kLast = kEngineBins - 1;
// The fast power of two behind the dB conversion is within 4.5e-6 relative of 10^(dB / 20)
// over the −90 … 30 dB of the document (measured in 0.01 dB steps); the crossfade
// factors add one single-precision rounding.
constexpr double kDbRelativeTolerance = 1e-5;

double Linear(double db) {
    return std::pow(10.0, db / 20.0);
}

// The crossfade from a (below) to b (above) at offset −2 … 2 from its boundary bin.
double Fade(int offset, double a, double b) {
    const double weight[] = {0.125, 0.625, 1.5, 2.375, 2.875};
    return (a * (3 - weight[offset + 2]) + b * weight[offset + 2]) / 3;
}

class ThreeBandFilterTest : public ::testing::Test {
protected:
    ThreeBandFilterTest() {
        filter.Configure(DSP::FrameTransformationConfig());
        filter.Start();
        Fill(
            in, [](int k) { return 0.5f + 0.001f * static_cast<float>(k); },
            [](int k) { return 0.01f * static_cast<float>(k); });
    }

    void Set(const char* control, float value) {
        filter.GetInControls().Get(control).DoControl(value);
    }

    // One frame; then the factor each bin was scaled by.
    void Run() { filter.Do(in, out); }
    double Factor(int k) const {
        return static_cast<double>(out.GetMagBuffer()[k]) / in.GetMagBuffer()[k];
    }
    void ExpectFactor(int first, int last, double expected) const {
        for (int k = first; k <= last; ++k)
            EXPECT_NEAR(Factor(k), expected, kDbRelativeTolerance * expected) << "bin " << k;
    }
    void ExpectUnchanged(int first, int last) const {
        for (int k = first; k <= last; ++k)
            ASSERT_EQ(out.GetMagBuffer()[k], in.GetMagBuffer()[k]) << "bin " << k;
    }

    ProcessValues process{44100.f, 256.f};
    DSP::ThreeBandFilter filter;
    DSP::Spectrum in = MakeSpectrum(kEngineBins);
    DSP::Spectrum out = MakeSpectrum(kEngineBins);
};

TEST_F(ThreeBandFilterTest, ZeroDecibelsPassTheSpectrumUnchanged) {
    Run();
    ExpectUnchanged(0, kLast);
}

TEST_F(ThreeBandFilterTest, MinusSixDecibelsHalveTheLowBandAndLeaveTheOthers) {
    Set("LowGain", -6.f);
    Run();
    EXPECT_NEAR(Factor(0), 0.501187, 1e-6);
    ExpectFactor(0, kL - 3, Linear(-6));
    for (int offset = -2; offset <= 2; ++offset)
        ExpectFactor(kL + offset, kL + offset, Fade(offset, Linear(-6), 1));
    ExpectUnchanged(kL + 3, kLast);
}

TEST_F(ThreeBandFilterTest, GainBelowTheFastPowerRangeSilencesItsBandExactly) {
    Set("MidGain", -800.f);
    Set("HighGain", 6.f);
    Run();
    for (int k = kL + 3; k <= kM - 3; ++k)
        ASSERT_EQ(out.GetMagBuffer()[k], 0.f) << "bin " << k;
    ExpectFactor(kL - 1, kL - 1, Fade(-1, 1, 0));
    ExpectFactor(kM + 1, kM + 1, Fade(1, 0, Linear(6)));
    ExpectFactor(kM + 3, kLast, Linear(6));
}

TEST_F(ThreeBandFilterTest, BoundariesAtTheEndsKeepTheirCrossfadesInside) {
    // LowCutoff 0 raises the boundary to bin 2, so the low crossfade starts at bin 0; a high
    // cutoff at half the sample rate lowers its boundary to n − 3, so the high band is only
    // its crossfade.
    Set("LowCutoff", 0.f);
    Set("HighCutoff", 22050.f);
    Set("LowGain", -6.f);
    Set("HighGain", 6.f);
    Run();
    for (int offset = -2; offset <= 2; ++offset) {
        ExpectFactor(2 + offset, 2 + offset, Fade(offset, Linear(-6), 1));
        ExpectFactor(kLast - 2 + offset, kLast - 2 + offset, Fade(offset, 1, Linear(6)));
    }
    ExpectUnchanged(5, kLast - 5);
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

TEST_F(ThreeBandFilterTest, CutoffsOutsideTheSpectrumEndOnTheLastOrFirstBoundary) {
    Set("LowGain", -6.f);
    Set("HighGain", 6.f);
    // Both boundaries on bin n − 3: everything below is the low band.
    for (float cutoffHz : {30000.f, std::numeric_limits<float>::infinity()}) {
        Set("LowCutoff", cutoffHz);
        Set("HighCutoff", cutoffHz);
        Run();
        ExpectFactor(0, kLast - 5, Linear(-6));
    }
    // Both on bin 2: everything above is the high band.
    for (float cutoffHz : {-500.f, std::numeric_limits<float>::quiet_NaN()}) {
        Set("LowCutoff", cutoffHz);
        Set("HighCutoff", cutoffHz);
        Run();
        ExpectFactor(5, kLast, Linear(6));
    }
}

} // namespace
