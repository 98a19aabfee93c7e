#include "Quorvel/Transformations/SpectralFreeze.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "Quorvel/Transformations/SpectrumFrames.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using DSP::SpectralFreeze;
using DSP::Spectrum;

// Bins below and above the initial cutoff (1000 Hz → bin 23 of 513).
constexpr int kLowBin = 10;
constexpr int kHighBin = 200;

class SpectralFreezeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(freeze.Configure(DSP::FrameTransformationConfig()));
        freeze.Start();
    }

    void Set(const std::string& control, float value) {
        freeze.GetInControls().Get(control).DoControl(value);
    }

    Spectrum Step(const Spectrum& in) {
        Spectrum out = MakeSpectrum(in.GetSize());
        freeze.Do(in, out);
        return out;
    }

    // Input whose phase grows by kPhaseStep per frame in every bin, magnitude 1 + bin / 100.
    Spectrum Moving(int frame) {
        Spectrum in = MakeSpectrum(kEngineBins);
        Fill(
            in, [](int k) { return 1.f + 0.01f * k; },
            [frame](int) { return DSP::WrapPhase(kPhaseStep * frame); });
        return in;
    }

    static constexpr float kPhaseStep = 0.7f;
    ProcessValues process;
    SpectralFreeze freeze;
    const float frameSec = 256.f / 44100.f;
};

TEST_F(SpectralFreezeTest, ControlsAreCreatedInOrderAndStartAtTheirInitialValues) {
    const std::vector<std::pair<std::string, float>> expected{{"HighCutoff", 1000.f},
                                                              {"LowDecay", 20.f},
                                                              {"HighDecay", 12.f},
                                                              {"Fire", 0.f},
                                                              {"Reset", 0.f}};
    ASSERT_EQ(freeze.GetInControls().Size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(freeze.GetInControls().GetByNumber(i).GetName(), expected[i].first);
        EXPECT_EQ(freeze.GetInControls().GetByNumber(i).GetLastValue(), expected[i].second);
    }
    EXPECT_STREQ(freeze.GetDSPClassName(), "SpectralFreeze");
    EXPECT_TRUE(freeze.GetInPorts().Has("In Spectrum"));
    EXPECT_TRUE(freeze.GetOutPorts().Has("Out Spectrum"));
}

TEST_F(SpectralFreezeTest, WithoutFireTheInputPassesUnchanged) {
    for (int t = 0; t < 4; ++t) {
        const Spectrum in = Moving(t);
        const Spectrum out = Step(in);
        for (int k = 0; k < kEngineBins; ++k) {
            ASSERT_EQ(out.GetMagBuffer()[k], in.GetMagBuffer()[k]);
            ASSERT_EQ(out.GetPhaseBuffer()[k], in.GetPhaseBuffer()[k]);
        }
    }
}

// The capture frame itself is passed through; from the next frame on the captured spectrum
// sounds at full level, after the input has stopped, with its phases advancing by the
// increment seen at the capture.
TEST_F(SpectralFreezeTest, FreezeSustainsTheCapturedSpectrumAfterTheInputStops) {
    Step(Moving(0));
    Set("Fire", 1.f);
    const Spectrum captured = Moving(1);
    const Spectrum first = Step(captured);
    EXPECT_EQ(first.GetMagBuffer()[kLowBin], captured.GetMagBuffer()[kLowBin]);
    for (int j = 1; j <= 5; ++j) {
        const Spectrum out = Step(MakeSpectrum(kEngineBins));
        const float elapsedSec = static_cast<float>(j - 1) * frameSec;
        for (auto [k, decaySec] : {std::pair{kLowBin, 20.f}, std::pair{kHighBin, 12.f}}) {
            const float expected =
                captured.GetMagBuffer()[k] * std::pow(10.f, -3.f * elapsedSec / decaySec);
            // The fast power of two is good to a few parts in 1e6.
            EXPECT_NEAR(out.GetMagBuffer()[k], expected, 1e-5f * expected) << "frame " << j;
            // j wrapped steps of 0.7 rad, each rounded to single precision.
            EXPECT_NEAR(out.GetPhaseBuffer()[k], DSP::WrapPhase(kPhaseStep * (1 + j)), 1e-5f)
                << "frame " << j;
        }
    }
    EXPECT_TRUE(freeze.IsFrozen());
}

// Each band falls by 60 dB in its decay time; the first frozen frame is at full level.
TEST_F(SpectralFreezeTest, EachBandFallsBySixtyDecibelsInItsDecayTime) {
    Set("LowDecay", 100.f * frameSec);
    Set("HighDecay", 50.f * frameSec);
    Step(Moving(0));
    Set("Fire", 1.f);
    const Spectrum captured = Moving(1);
    Step(captured);
    std::vector<Spectrum> outputs;
    for (int j = 0; j <= 100; ++j)
        outputs.push_back(Step(MakeSpectrum(kEngineBins)));
    const float lowMag = captured.GetMagBuffer()[kLowBin];
    const float highMag = captured.GetMagBuffer()[kHighBin];
    EXPECT_EQ(outputs[0].GetMagBuffer()[kLowBin], lowMag);
    EXPECT_EQ(outputs[0].GetMagBuffer()[kHighBin], highMag);
    // The fast power of two is good to a few parts in 1e6 and the elapsed time sums 100 hops
    // in single precision: 1e-4 relative covers both.
    EXPECT_NEAR(outputs[100].GetMagBuffer()[kLowBin], 1e-3f * lowMag, 1e-4f * 1e-3f * lowMag);
    EXPECT_NEAR(outputs[50].GetMagBuffer()[kHighBin], 1e-3f * highMag, 1e-4f * 1e-3f * highMag);
    const float halfway = std::sqrt(1e-3f) * lowMag;
    EXPECT_NEAR(outputs[50].GetMagBuffer()[kLowBin], halfway, 1e-4f * halfway);
}

TEST_F(SpectralFreezeTest, ZeroDecaySilencesItsBand) {
    Set("LowDecay", 0.f);
    Step(Moving(0));
    Set("Fire", 1.f);
    Step(Moving(1));
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
    EXPECT_FALSE(freeze.IsFrozen());
    EXPECT_EQ(Step(silence).GetMagBuffer()[kLowBin], 0.f);

    Set("Fire", 0.2f);
    Step(Moving(2));
    Set("Reset", 0.1f);
    EXPECT_TRUE(freeze.IsFrozen());
    EXPECT_GT(Step(silence).GetMagBuffer()[kLowBin], 1.f);

    Set("Reset", 1.f);
    EXPECT_FALSE(freeze.IsFrozen());
    EXPECT_EQ(Step(silence).GetMagBuffer()[kLowBin], 0.f);
}

TEST_F(SpectralFreezeTest, StartingKeepsARunningFreeze) {
    Step(Moving(0));
    Set("Fire", 1.f);
    Step(Moving(1));
    Set("LowDecay", 3.f);
    freeze.Start();
    EXPECT_EQ(freeze.GetInControls().Get("LowDecay").GetLastValue(), 20.f);
    EXPECT_TRUE(freeze.IsFrozen());
    EXPECT_NEAR(Step(MakeSpectrum(kEngineBins)).GetMagBuffer()[kLowBin],
                Moving(1).GetMagBuffer()[kLowBin], 1e-3f);
}

// Cutoffs beyond half the sample rate put every bin in the low band; negative and NaN ones
// put every bin in the high band. Nothing is written outside the spectrum.
TEST_F(SpectralFreezeTest, CutoffsOutsideTheSpectrumKeepTheBandsWithinIt) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float cutoff : {40000.f, 1e30f, -500.f, nan}) {
        SpectralFreeze fresh;
        ASSERT_TRUE(fresh.Configure(DSP::FrameTransformationConfig()));
        fresh.Start();
        fresh.GetInControls().Get("HighCutoff").DoControl(cutoff);
        fresh.GetInControls().Get("HighDecay").DoControl(0.f); // silences the high band
        GuardedSpectrum out(kEngineBins);
        fresh.Do(Moving(0), out.Get());
        fresh.GetInControls().Get("Fire").DoControl(1.f);
        fresh.Do(Moving(1), out.Get());
        fresh.Do(Moving(2), out.Get());
        ASSERT_TRUE(out.Intact()) << cutoff;
        const bool allLow = cutoff > 22050.f;
        for (int k : {0, kEngineBins - 1})
            EXPECT_EQ(out.Get().GetMagBuffer()[k] > 0.f, allLow) << cutoff << " bin " << k;
    }
}

TEST_F(SpectralFreezeTest, NonFiniteBinsAreNeverHeld) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Spectrum previous = Moving(0);
    previous.GetPhaseBuffer()[3] = nan;
    Step(previous);
    Set("Fire", 1.f);
    Spectrum bad = Moving(1);
    bad.GetMagBuffer()[kLowBin] = nan;
    bad.GetMagBuffer()[kHighBin] = inf;
    bad.GetPhaseBuffer()[7] = inf;
    Step(bad);
    for (int t = 0; t < 3; ++t) {
        const Spectrum out = Step(Moving(2 + t));
        for (int k = 0; k < kEngineBins; ++k) {
            ASSERT_TRUE(std::isfinite(out.GetMagBuffer()[k])) << k;
            ASSERT_TRUE(std::isfinite(out.GetPhaseBuffer()[k])) << k;
        }
    }
}

TEST_F(SpectralFreezeTest, DoNeverTouchesTheHeapOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    const Spectrum in = Moving(3);
    Spectrum out = MakeSpectrum(kEngineBins);
    AllocationCounter heap;
    freeze.Do(in, out);
    freeze.Fire(1.f);
    for (int t = 0; t < 20; ++t) {
        freeze.Do(in, out);
        freeze.Do(out, out);
    }
    EXPECT_EQ(heap.Calls(), 0);
}

} // namespace
