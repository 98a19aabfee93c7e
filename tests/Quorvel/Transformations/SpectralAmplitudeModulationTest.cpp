#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// With the initial cutoffs (500 Hz → bin 12, 2000 Hz → bin 46 of 513), bins whose five-bin
// smoothing window lies inside one band.
constexpr int kLowBin = 5;
constexpr int kMidBin = 30;
constexpr int kHighBin = 300;
// The oscillator's phase is accumulated in single precision once per frame: over 200 frames
// it is at most 200 half-ulps of 2π (5e-5 rad) from the exact phase; times a depth ≤ 1.
constexpr double kSweepTolerance = 1e-4;
// The exact gain of frame j of a band oscillator that started at phase 0.
double ExpectedGain(double rateHz, double depth, int frame) {
    return 1.0 + depth * std::sin(2.0 * M_PI * rateHz * frame * 256.0 / 44100.0);
}

class SpectralAmplitudeModulationTest : public EffectTest<DSP::SpectralAmplitudeModulation> {
protected:
    // One frame of a flat spectrum of magnitude 1: the gains themselves.
    std::vector<double> Frame() { return Factors(MakeSpectrum(kEngineBins, 1.f, 0.5f)); }
};

TEST_F(SpectralAmplitudeModulationTest, EachBandSwingsAtItsRateWithItsDepth) {
    struct Band {
        int bin;
        double rateHz, depth, lowest, highest;
    };
    Band bands[] = {{kLowBin, 4, .25, 9, -9}, {kMidBin, 6, .25, 9, -9}, {kHighBin, 8, .2, 9, -9}};
    for (int frame = 0; frame < 200; ++frame) {
        const std::vector<double> gains = Frame();
        for (Band& band : bands) {
            EXPECT_NEAR(gains[band.bin], ExpectedGain(band.rateHz, band.depth, frame),
                        kSweepTolerance)
                << "bin " << band.bin << ", frame " << frame;
            band.lowest = std::min<double>(band.lowest, gains[band.bin]);
            band.highest = std::max<double>(band.highest, gains[band.bin]);
        }
    }
    // 200 frames (1.16 s) pass every extreme; sampled 172 times a second, the crest of an
    // 8 Hz sine is caught within 1 − cos(π · 8 / 172) ≈ 0.011 of the depth.
    for (const Band& band : bands) {
        EXPECT_NEAR(band.lowest, 1 - band.depth, 0.011 * band.depth) << "bin " << band.bin;
        EXPECT_NEAR(band.highest, 1 + band.depth, 0.011 * band.depth) << "bin " << band.bin;
    }
}

TEST_F(SpectralAmplitudeModulationTest, BoundariesCrossfadeAndEndsMirror) {
    // Boundaries on bin 2 and bin n − 2 put the end bins within reach of two bands. On frame 1
    // a quarter-turn-per-hop oscillator stands exactly on its crest and a still one on phase
    // 0: gains a = 1.5 (low), b = 1 (middle), c = 0.5 (high).
    Set("LowCutoff", 2.f * 22050.f / 512.f);
    Set("HighCutoff", 511.f * 22050.f / 512.f);
    Set("LfFreq", kQuarterTurnPerHopHz);
    Set("LfWidth", 0.5f);
    Set("MfFreq", 0.f);
    Set("HfFreq", kQuarterTurnPerHopHz);
    Set("HfWidth", -0.5f);
    Frame();
    const std::vector<double> s = Frame();
    const double a = 1.5, b = 1, c = 0.5;
    const int n = kEngineBins;
    // s[0] mirrors g[1], g[2] to the left; s[n − 1] mirrors g[n − 2], g[n − 3] to the right.
    // Each gain is one rounding of a double sum to single precision (within EXPECT_FLOAT_EQ).
    EXPECT_FLOAT_EQ(s[0], (0.25 * b + 0.75 * a + a + 0.75 * a + 0.25 * b) / 3);
    EXPECT_FLOAT_EQ(s[1], (0.25 * a + 0.75 * a + a + 0.75 * b + 0.25 * b) / 3);
    EXPECT_FLOAT_EQ(s[2], (0.25 * a + 0.75 * a + b + 0.75 * b + 0.25 * b) / 3);
    EXPECT_FLOAT_EQ(s[3], (0.25 * a + 0.75 * b + b + 0.75 * b + 0.25 * b) / 3);
    EXPECT_EQ(s[4], b);
    EXPECT_FLOAT_EQ(s[n - 4], (0.25 * b + 0.75 * b + b + 0.75 * b + 0.25 * c) / 3);
    EXPECT_FLOAT_EQ(s[n - 3], (0.25 * b + 0.75 * b + b + 0.75 * c + 0.25 * c) / 3);
    EXPECT_FLOAT_EQ(s[n - 2], (0.25 * b + 0.75 * b + c + 0.75 * c + 0.25 * c) / 3);
    EXPECT_FLOAT_EQ(s[n - 1], (0.25 * b + 0.75 * c + c + 0.75 * c + 0.25 * b) / 3);
}

TEST_F(SpectralAmplitudeModulationTest, ZeroDepthsPassTheSpectrumUnchanged) {
    for (const char* width : {"LfWidth", "MfWidth", "HfWidth"})
        Set(width, 0.f);
    DSP::Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 0.1f + static_cast<float>(k); }, [](int) { return 1.f; });
    for (int frame = 0; frame < 10; ++frame)
        EXPECT_EQ(Factors(in), std::vector<double>(kEngineBins, 1.0)) << frame;
}

TEST_F(SpectralAmplitudeModulationTest, OscillatorsRunOnThroughEmptyBandsAndRestarts) {
    Set("LowCutoff", 0.f);
    for (int frame = 0; frame < 7; ++frame) {
        const std::vector<double> gains = Frame();
        // The middle band reaches down to bin 0, mirrored smoothing and all.
        for (int k = 0; k <= 9; ++k)
            ASSERT_EQ(gains[k], gains[kMidBin]) << "frame " << frame << ", bin " << k;
    }
    effect.Start(); // back to the initial controls, LowCutoff 500 Hz
    EXPECT_NEAR(Frame()[kLowBin], ExpectedGain(4, 0.25, 7), kSweepTolerance);
}

TEST_F(SpectralAmplitudeModulationTest, NonFiniteRateOrDepthLeavesNoLastingDamage) {
    Set("LfFreq", std::numeric_limits<float>::quiet_NaN());
    Set("LfWidth", std::numeric_limits<float>::infinity());
    Frame();
    Set("LfFreq", 4.f);
    Set("LfWidth", 0.f);
    // A poisoned phase would give a non-finite gain, even at depth 0.
    EXPECT_EQ(Frame()[kLowBin], 1.f);
}

} // namespace
