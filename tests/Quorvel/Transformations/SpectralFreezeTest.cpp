#include "Quorvel/Transformations/SpectralFreeze.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using DSP::Spectrum;

// Bins below and above the initial cutoff (1000 Hz → bin 23 of 513).
constexpr int kLowBin = 10;
constexpr int kHighBin = 200;
constexpr float kPhaseStep = 0.7f;
constexpr float kFrameSec = 256.f / 44100.f;

// Input whose phase grows by kPhaseStep per frame in every bin, magnitude 1 + bin / 100.
Spectrum Moving(int frame) {
    Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 1.f + 0.01f * k; },
        [frame](int) { return DSP::WrapPhase(kPhaseStep * frame); });
    return in;
}

class SpectralFreezeTest : public EffectTest<DSP::SpectralFreeze> {
protected:
    // Frame 0, then Fire and the capture of frame 1.
    void FireOnFrameOne() {
        Step(Moving(0));
        Set("Fire", 1.f);
        Step(Moving(1));
    }
};

TEST_F(SpectralFreezeTest, WithoutFireTheInputPassesUnchanged) {
    for (int t = 0; t < 4; ++t)
        ExpectSameSpectrum(Step(Moving(t)), Moving(t));
}

// The capture frame itself passes; from the next frame on the captured spectrum sounds at full
// level after the input has stopped, each band falling by 60 dB in its decay time, its phases
// advancing by the increment seen at the capture.
TEST_F(SpectralFreezeTest, FreezeSustainsTheCaptureAndEachBandFallsSixtyDecibelsInItsDecayTime) {
    Set("LowDecay", 100.f * kFrameSec);
    Set("HighDecay", 50.f * kFrameSec);
    Step(Moving(0));
    Set("Fire", 1.f);
    const Spectrum captured = Moving(1);
    EXPECT_EQ(Step(captured, kLowBin), captured.GetMagBuffer()[kLowBin]);
    for (int j = 0; j <= 100; ++j) {
        const Spectrum out = Step(MakeSpectrum(kEngineBins));
        for (auto [k, decayFrames] : {std::pair{kLowBin, 100.f}, std::pair{kHighBin, 50.f}}) {
            const float expected =
                captured.GetMagBuffer()[k] * std::pow(10.f, -3.f * j / decayFrames);
            // The fast power of two is good to a few parts in 1e6 and the elapsed time sums up
            // to 100 hops in single precision: 1e-4 relative covers both.
            EXPECT_NEAR(out.GetMagBuffer()[k], expected, 1e-4f * expected) << "frame " << j;
            // Up to 102 wrapped sums, each rounded to single precision (2.4e-7 rad at most),
            // and the reference's own rounding of 0.7·(j + 2) (3.8e-6 at most).
            EXPECT_NEAR(out.GetPhaseBuffer()[k], DSP::WrapPhase(kPhaseStep * (2 + j)), 3e-5f)
                << "frame " << j;
        }
    }
    EXPECT_TRUE(effect.IsFrozen());
}

TEST_F(SpectralFreezeTest, ZeroDecaySilencesItsBand) {
    Set("LowDecay", 0.f);
    FireOnFrameOne();
    const Spectrum out = Step(Moving(2));
    for (int k = 0; k < 23; ++k)
        EXPECT_EQ(out.GetMagBuffer()[k], 0.f) << k;
    EXPECT_GT(out.GetMagBuffer()[kHighBin], 0.f);
}

// A frozen effect answers silence with sound; a released one passes the silence through.
TEST_F(SpectralFreezeTest, TriggersActOnlyAboveOneTenth) {
    const Spectrum silence = MakeSpectrum(kEngineBins);
    Set("Fire", 0.1f);
    Step(Moving(0));
    EXPECT_FALSE(effect.IsFrozen());
    EXPECT_EQ(Step(silence, kLowBin), 0.f);

    Set("Fire", 0.2f);
    Step(Moving(2));
    Set("Reset", 0.1f);
    EXPECT_TRUE(effect.IsFrozen());
    EXPECT_GT(Step(silence, kLowBin), 1.f);

    Set("Reset", 1.f);
    EXPECT_FALSE(effect.IsFrozen());
    EXPECT_EQ(Step(silence, kLowBin), 0.f);
}

TEST_F(SpectralFreezeTest, StartingKeepsARunningFreeze) {
    FireOnFrameOne();
    effect.Start();
    EXPECT_TRUE(effect.IsFrozen());
    // The first frozen frame is at full level: a gain of exactly 2^0.
    EXPECT_EQ(Step(MakeSpectrum(kEngineBins), kLowBin), Moving(1).GetMagBuffer()[kLowBin]);
}

} // namespace
