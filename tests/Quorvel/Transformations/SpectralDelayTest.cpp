#include "Quorvel/Transformations/SpectralDelay.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using DSP::SpectralDelay;
using DSP::Spectrum;

// The fast square root, sine and cosine that turn an input bin into complex form and back
// carry a relative magnitude error of a few parts in 1e4.
constexpr float kRoundTrip = 1e-3f;

// Bins inside the three bands at the initial cutoffs (500 Hz → bin 12, 2000 Hz → bin 46).
constexpr std::array<int, 3> kProbe{5, 20, 100};

class SpectralDelayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(delay.Configure(DSP::FrameTransformationConfig()));
        delay.Start();
    }

    void Set(const std::string& control, float value) {
        delay.GetInControls().Get(control).DoControl(value);
    }

    // A delay in milliseconds that is frames and a half at the current sample rate and hop:
    // the line truncates it to exactly frames.
    static float DelayMs(int frames) {
        return (static_cast<float>(frames) + 0.5f) * GlobalProcessInfo::GetFrameSize() * 1000.f /
               GlobalProcessInfo::GetSampleRate();
    }

    // Runs one frame and returns the output.
    Spectrum Step(const Spectrum& in) {
        Spectrum out = MakeSpectrum(in.GetSize());
        delay.Do(in, out);
        return out;
    }

    // Magnitude at bin k of each output for the given input frames.
    std::vector<float> MagnitudesAt(int k, const std::vector<Spectrum>& inputs) {
        std::vector<float> magnitudes;
        for (const Spectrum& in : inputs)
            magnitudes.push_back(Step(in).GetMagBuffer()[k]);
        return magnitudes;
    }

    ProcessValues process;
    SpectralDelay delay;
};

TEST_F(SpectralDelayTest, ControlsAreCreatedInOrderWithTheirInitialValues) {
    const std::vector<std::pair<std::string, float>> expected{
        {"LowCutoff", 500.f},  {"HighCutoff", 2000.f}, {"LowDelay", 300.f},
        {"MidDelay", 500.f},   {"HighDelay", 100.f},   {"LowFeedback", 30.f},
        {"MidFeedback", 30.f}, {"HighFeedback", 30.f}};
    ASSERT_EQ(delay.GetInControls().Size(), static_cast<int>(expected.size()));
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        EXPECT_EQ(delay.GetInControls().GetByNumber(i).GetName(), expected[i].first);
        EXPECT_EQ(delay.GetInControls().GetByNumber(i).GetLastValue(), expected[i].second);
    }
    EXPECT_STREQ(delay.GetDSPClassName(), "SpectralDelay");
    EXPECT_TRUE(delay.GetInPorts().Has("In Spectrum"));
    EXPECT_TRUE(delay.GetOutPorts().Has("Out Spectrum"));
}

TEST_F(SpectralDelayTest, StartingTwiceRestoresTheControlsButKeepsTheEchoes) {
    Set("LowDelay", DelayMs(2));
    Set("LowFeedback", 0.f);
    Step(MakeSpectrum(kEngineBins, 1.f)); // stored, comes back two frames later
    Set("LowCutoff", 9000.f);
    delay.Start();
    delay.Start();
    EXPECT_EQ(delay.GetInControls().Get("LowCutoff").GetLastValue(), 500.f);
    Set("LowDelay", DelayMs(2));
    Set("LowFeedback", 0.f);
    EXPECT_EQ(Step(MakeSpectrum(kEngineBins)).GetMagBuffer()[kProbe[0]], 0.f);
    EXPECT_NEAR(Step(MakeSpectrum(kEngineBins)).GetMagBuffer()[kProbe[0]], 1.f, kRoundTrip);
}

TEST_F(SpectralDelayTest, WithoutDelaysTheOutputIsTheInputBinForBin) {
    for (const char* control : {"LowDelay", "MidDelay", "HighDelay"})
        Set(control, 0.f);
    Set("HighDelay", -40.f);
    Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 0.5f + k; }, [](int k) { return 0.01f * k - 2.f; });
    const Spectrum out = Step(in);
    for (int k = 0; k < kEngineBins; ++k) {
        ASSERT_EQ(out.GetMagBuffer()[k], in.GetMagBuffer()[k]) << k;
        ASSERT_EQ(out.GetPhaseBuffer()[k], in.GetPhaseBuffer()[k]) << k;
    }
}

// Each band echoes an impulse at its own delay; echo i has gain (1 − g)·g^(i−1).
TEST_F(SpectralDelayTest, EachBandEchoesAtItsDelayWithItsFeedback) {
    const std::array<int, 3> frames{3, 5, 7};
    const std::array<float, 3> feedback{0.f, 0.5f, 0.25f};
    const std::array<const char*, 3> delays{"LowDelay", "MidDelay", "HighDelay"};
    const std::array<const char*, 3> feedbacks{"LowFeedback", "MidFeedback", "HighFeedback"};
    for (int b = 0; b < 3; ++b) {
        Set(delays[b], DelayMs(frames[b]));
        Set(feedbacks[b], feedback[b] * 100.f);
    }
    // Silence first, so that every slot the impulse meets has been written.
    for (int t = 0; t < 8; ++t)
        Step(MakeSpectrum(kEngineBins));

    constexpr float kPhase = 0.3f;
    std::vector<Spectrum> inputs(30, MakeSpectrum(kEngineBins));
    inputs[0] = MakeSpectrum(kEngineBins, 1.f, kPhase);
    std::vector<Spectrum> outputs;
    for (const Spectrum& in : inputs)
        outputs.push_back(Step(in));

    for (int b = 0; b < 3; ++b) {
        const float g = feedback[b];
        for (int t = 0; t < 30; ++t) {
            const float magnitude = outputs[t].GetMagBuffer()[kProbe[b]];
            if (t == 0 || t % frames[b] != 0) {
                EXPECT_EQ(magnitude, 0.f) << "band " << b << " frame " << t;
                continue;
            }
            const float expected = (1.f - g) * std::pow(g, t / frames[b] - 1);
            EXPECT_NEAR(magnitude, expected, kRoundTrip * expected)
                << "band " << b << " frame " << t;
            if (expected > 0.f) { // the fast arc tangent is good to about 1e-5 rad
                EXPECT_NEAR(outputs[t].GetPhaseBuffer()[kProbe[b]], kPhase, 1e-4f);
            }
        }
    }
}

TEST_F(SpectralDelayTest, FullFeedbackRepeatsTheStoredSpectraAndIgnoresNewInput) {
    Set("LowDelay", DelayMs(4));
    Set("LowFeedback", 0.f);
    for (int t = 0; t < 5; ++t)
        Step(MakeSpectrum(kEngineBins));
    Step(MakeSpectrum(kEngineBins, 1.f));
    Set("LowFeedback", 100.f);
    const std::vector<float> magnitudes =
        MagnitudesAt(kProbe[0], std::vector<Spectrum>(16, MakeSpectrum(kEngineBins, 5.f)));
    for (int t = 0; t < 16; ++t) {
        const float expected = (t + 1) % 4 == 0 ? 1.f : 0.f;
        EXPECT_NEAR(magnitudes[t], expected, kRoundTrip) << t;
    }
}

TEST_F(SpectralDelayTest, DuringTheFirstFramesEachBandOutputsItsInput) {
    Set("MidDelay", DelayMs(6));
    Spectrum in = MakeSpectrum(kEngineBins, 2.f, 1.f);
    for (int t = 0; t < 6; ++t)
        EXPECT_NEAR(Step(in).GetMagBuffer()[kProbe[1]], 2.f, 2.f * kRoundTrip) << t;
}

TEST_F(SpectralDelayTest, DelayBelowOneHopMixesTheStoredSpectrumWithTheCurrentOne) {
    Set("LowDelay", DelayMs(2));
    Set("LowFeedback", 50.f);
    for (int t = 0; t < 3; ++t)
        Step(MakeSpectrum(kEngineBins));
    Step(MakeSpectrum(kEngineBins, 1.f)); // stored as 0.5 (feedback 50 % of silence)
    Step(MakeSpectrum(kEngineBins));
    // Half a hop truncates to no delay: the slot under the read position still holds the
    // mixed impulse, and the output is the new mixture 0.5·0.5 + 0.5·3.
    Set("LowDelay", 0.5f * DelayMs(0));
    EXPECT_NEAR(Step(MakeSpectrum(kEngineBins, 3.f)).GetMagBuffer()[kProbe[0]], 1.75f,
                1.75f * kRoundTrip);
}

TEST_F(SpectralDelayTest, LowCutoffAboveHighCutoffLetsTheHighBandOverrideTheLowOne) {
    Set("LowCutoff", 2000.f); // bin 46
    Set("HighCutoff", 500.f); // bin 12
    Set("LowDelay", 0.f);
    Set("HighDelay", DelayMs(3));
    Set("HighFeedback", 0.f);
    for (int t = 0; t < 4; ++t)
        Step(MakeSpectrum(kEngineBins));
    const std::vector<float> below = MagnitudesAt(5, {MakeSpectrum(kEngineBins, 1.f)});
    EXPECT_EQ(below[0], 1.f); // low band, passed through
    Step(MakeSpectrum(kEngineBins));
    Step(MakeSpectrum(kEngineBins));
    const Spectrum out = Step(MakeSpectrum(kEngineBins));
    EXPECT_EQ(out.GetMagBuffer()[5], 0.f);
    EXPECT_NEAR(out.GetMagBuffer()[20], 1.f, kRoundTrip); // inside both: the high band's echo
}

// Cutoffs beyond half the sample rate, negative or NaN keep the bands inside the spectrum.
TEST_F(SpectralDelayTest, CutoffsOutsideTheSpectrumKeepTheBandsWithinIt) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float low, high;
        bool allDelayed;
    };
    for (const Case& c : {Case{30000.f, 40000.f, false}, Case{-300.f, -100.f, true},
                          Case{nan, nan, true}, Case{100.f, 1e30f, false}}) {
        SpectralDelay fresh;
        ASSERT_TRUE(fresh.Configure(DSP::FrameTransformationConfig()));
        fresh.Start();
        fresh.GetInControls().Get("LowCutoff").DoControl(c.low);
        fresh.GetInControls().Get("HighCutoff").DoControl(c.high);
        fresh.GetInControls().Get("LowDelay").DoControl(0.f);
        fresh.GetInControls().Get("MidDelay").DoControl(0.f);
        fresh.GetInControls().Get("HighDelay").DoControl(DelayMs(1));
        fresh.GetInControls().Get("HighFeedback").DoControl(0.f);
        GuardedSpectrum out(kEngineBins);
        fresh.Do(MakeSpectrum(kEngineBins), out.Get());
        fresh.Do(MakeSpectrum(kEngineBins, 1.f), out.Get());
        ASSERT_TRUE(out.Intact()) << c.low << " " << c.high;
        // Bins of the high band still hold the previous (silent) frame; the others pass the
        // impulse through.
        const float expected = c.allDelayed ? 0.f : 1.f;
        EXPECT_EQ(out.Get().GetMagBuffer()[0], expected) << c.low << " " << c.high;
        EXPECT_EQ(out.Get().GetMagBuffer()[kEngineBins - 1], expected) << c.low << " " << c.high;
    }
}

TEST_F(SpectralDelayTest, NonFiniteInputOrFeedbackNeverEntersTheLines) {
    for (const char* control : {"LowDelay", "MidDelay", "HighDelay"})
        Set(control, DelayMs(2));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Step(MakeSpectrum(kEngineBins));
    Step(MakeSpectrum(kEngineBins));
    Spectrum bad = MakeSpectrum(kEngineBins, nan);
    bad.GetMagBuffer()[20] = inf;
    bad.GetPhaseBuffer()[100] = inf;
    Step(bad);
    Set("MidFeedback", nan);
    for (int t = 0; t < 10; ++t) {
        if (t == 4)
            Set("MidFeedback", 30.f);
        const Spectrum out = Step(MakeSpectrum(kEngineBins, 1.f));
        for (int k = 0; k < kEngineBins; ++k) {
            ASSERT_TRUE(std::isfinite(out.GetMagBuffer()[k])) << "frame " << t << " bin " << k;
            ASSERT_TRUE(std::isfinite(out.GetPhaseBuffer()[k])) << "frame " << t << " bin " << k;
        }
    }
}

TEST_F(SpectralDelayTest, AnotherBinCountEmptiesTheLinesAndKeepsWorking) {
    Set("LowDelay", DelayMs(2));
    Set("LowFeedback", 0.f);
    Step(MakeSpectrum(kEngineBins, 1.f));
    Step(MakeSpectrum(kEngineBins, 1.f));
    // 257 bins: the lines start empty again, so the band outputs its input.
    const Spectrum out = Step(MakeSpectrum(257, 4.f));
    ASSERT_EQ(out.GetSize(), 257);
    EXPECT_NEAR(out.GetMagBuffer()[kProbe[0]], 4.f, 4.f * kRoundTrip);
    Step(MakeSpectrum(257));
    EXPECT_NEAR(Step(MakeSpectrum(257)).GetMagBuffer()[kProbe[0]], 4.f, 4.f * kRoundTrip);
}

// 10 s at 96 kHz is 3750 frames, more than the line holds: the longest delay it can give
// (2999 frames) is used instead of the capacity, which would mean no delay at all.
TEST_F(SpectralDelayTest, DelayBeyondTheLinesReachIsHeldAtTheLongestDelay) {
    ProcessValues fast(96000.f, 256.f);
    constexpr int kLowBin = 2; // the low band ends at bin 5 at 96 kHz
    SpectralDelay fresh;
    ASSERT_TRUE(fresh.Configure(DSP::FrameTransformationConfig()));
    fresh.Start();
    fresh.GetInControls().Get("LowDelay").DoControl(10000.f);
    fresh.GetInControls().Get("LowFeedback").DoControl(0.f);
    const Spectrum silence = MakeSpectrum(kEngineBins);
    Spectrum out = MakeSpectrum(kEngineBins);
    fresh.Do(MakeSpectrum(kEngineBins, 1.f), out);
    for (int t = 1; t < 2999; ++t)
        fresh.Do(silence, out);
    EXPECT_EQ(out.GetMagBuffer()[kLowBin], 0.f);
    fresh.Do(silence, out);
    EXPECT_NEAR(out.GetMagBuffer()[kLowBin], 1.f, kRoundTrip);
}

TEST_F(SpectralDelayTest, DoNeverTouchesTheHeapOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    Spectrum in = MakeSpectrum(kEngineBins, 1.f, 0.5f);
    Spectrum out = MakeSpectrum(kEngineBins);
    Set("MidDelay", 0.f);
    AllocationCounter heap;
    for (int t = 0; t < 40; ++t) {
        delay.Do(in, out);
        delay.Do(out, out);
    }
    EXPECT_EQ(heap.Calls(), 0);
}

} // namespace
