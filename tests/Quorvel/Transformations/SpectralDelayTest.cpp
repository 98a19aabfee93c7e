#include "Quorvel/Transformations/SpectralDelay.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using DSP::Spectrum;

// The fast square root, sine and cosine that turn an input bin into complex form and back
// carry a relative magnitude error of a few parts in 1e4.
constexpr float kRoundTrip = 1e-3f;

// Bins inside the three bands at the initial cutoffs (500 Hz → bin 12, 2000 Hz → bin 46).
constexpr std::array<int, 3> kProbe{5, 20, 100};

Spectrum Flat(float magnitude = 0.f, int bins = kEngineBins) {
    return MakeSpectrum(bins, magnitude);
}

class SpectralDelayTest : public EffectTest<DSP::SpectralDelay> {
protected:
    // Sets a band's delay to `frames` and a half (which the line truncates to `frames`) at the
    // current sample rate, and its feedback.
    void SetBand(const char* band, int frames, float feedbackPercent) {
        const float delayMs = (frames + 0.5f) * 256.f * 1000.f / GlobalProcessInfo::GetSampleRate();
        Set(std::string(band) + "Delay", delayMs);
        Set(std::string(band) + "Feedback", feedbackPercent);
    }
    void Silence(int frames) {
        for (int t = 0; t < frames; ++t)
            Step(Flat());
    }
};

TEST_F(SpectralDelayTest, WithoutDelaysTheOutputIsTheInputBinForBin) {
    Set("LowDelay", 0.f);
    Set("MidDelay", 0.f);
    Set("HighDelay", -40.f);
    Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 0.5f + k; }, [](int k) { return 0.01f * k - 2.f; });
    ExpectSameSpectrum(Step(in), in);
}

// Each band echoes an impulse at its own delay; echo i has gain (1 − g)·g^(i−1).
TEST_F(SpectralDelayTest, EachBandEchoesAtItsDelayWithItsFeedback) {
    const std::array<int, 3> frames{3, 5, 7};
    const std::array<float, 3> feedback{0.f, 0.5f, 0.25f};
    const std::array<const char*, 3> bands{"Low", "Mid", "High"};
    for (int b = 0; b < 3; ++b)
        SetBand(bands[b], frames[b], feedback[b] * 100.f);
    Silence(8); // so that every slot the impulse meets has been written

    constexpr float kPhase = 0.3f;
    std::vector<Spectrum> outputs{Step(MakeSpectrum(kEngineBins, 1.f, kPhase))};
    for (int t = 1; t < 30; ++t)
        outputs.push_back(Step(Flat()));
    for (int b = 0; b < 3; ++b) {
        for (int t = 0; t < 30; ++t) {
            const float magnitude = outputs[t].GetMagBuffer()[kProbe[b]];
            const float expected =
                t == 0 || t % frames[b] != 0
                    ? 0.f
                    : (1.f - feedback[b]) * std::pow(feedback[b], t / frames[b] - 1);
            EXPECT_NEAR(magnitude, expected, kRoundTrip * expected) << "band " << b << ", " << t;
            if (expected > 0.f) { // the fast arc tangent is good to about 1e-5 rad
                EXPECT_NEAR(outputs[t].GetPhaseBuffer()[kProbe[b]], kPhase, 1e-4f);
            }
        }
    }
}

TEST_F(SpectralDelayTest, FullFeedbackRepeatsTheStoredSpectraAndIgnoresNewInput) {
    SetBand("Low", 4, 0.f);
    Silence(5);
    Step(Flat(1.f));
    Set("LowFeedback", 100.f);
    for (int t = 0; t < 16; ++t)
        EXPECT_NEAR(Step(Flat(5.f), kProbe[0]), (t + 1) % 4 == 0 ? 1.f : 0.f, kRoundTrip) << t;
}

// The lines start empty, and starting does not empty them.
TEST_F(SpectralDelayTest, BandsOutputTheirInputUntilTheLinesDeliverAndStartingKeepsTheEchoes) {
    SetBand("Mid", 6, 30.f);
    for (int t = 0; t < 6; ++t)
        EXPECT_NEAR(Step(MakeSpectrum(kEngineBins, 2.f, 1.f), kProbe[1]), 2.f, 2.f * kRoundTrip);
    SetBand("Low", 2, 0.f);
    Step(Flat(1.f)); // comes back two frames later
    effect.Start();
    SetBand("Low", 2, 0.f);
    EXPECT_EQ(Step(Flat(), kProbe[0]), 0.f);
    EXPECT_NEAR(Step(Flat(), kProbe[0]), 1.f, kRoundTrip);
}

TEST_F(SpectralDelayTest, DelayBelowOneHopMixesTheStoredSpectrumWithTheCurrentOne) {
    SetBand("Low", 2, 50.f);
    Silence(3);
    Step(Flat(1.f)); // stored as 0.5 (feedback 50 % of silence)
    Step(Flat());
    // Half a hop truncates to no delay: the slot under the read position still holds the
    // mixed impulse, and the output is the new mixture 0.5·0.5 + 0.5·3.
    Set("LowDelay", 0.5f * 256.f * 1000.f / 44100.f);
    EXPECT_NEAR(Step(Flat(3.f), kProbe[0]), 1.75f, 1.75f * kRoundTrip);
}

TEST_F(SpectralDelayTest, LowCutoffAboveHighCutoffLetsTheHighBandOverrideTheLowOne) {
    Set("LowCutoff", 2000.f); // bin 46
    Set("HighCutoff", 500.f); // bin 12
    Set("LowDelay", 0.f);
    SetBand("High", 3, 0.f);
    Silence(4);
    EXPECT_EQ(Step(Flat(1.f), 5), 1.f); // low band, passed through
    Silence(2);
    const Spectrum out = Step(Flat());
    EXPECT_EQ(out.GetMagBuffer()[5], 0.f);
    EXPECT_NEAR(out.GetMagBuffer()[20], 1.f, kRoundTrip); // inside both: the high band's echo
}

TEST_F(SpectralDelayTest, AnotherBinCountEmptiesTheLinesAndKeepsWorking) {
    SetBand("Low", 2, 0.f);
    Step(Flat(1.f));
    Step(Flat(1.f));
    // 257 bins: the lines start empty again, so the band outputs its input.
    const Spectrum out = Step(Flat(4.f, 257));
    ASSERT_EQ(out.GetSize(), 257);
    EXPECT_NEAR(out.GetMagBuffer()[kProbe[0]], 4.f, 4.f * kRoundTrip);
    Step(Flat(0.f, 257));
    EXPECT_NEAR(Step(Flat(0.f, 257), kProbe[0]), 4.f, 4.f * kRoundTrip);
}

// 10 s at 96 kHz is 3750 frames, more than the line holds: the longest delay it can give
// (2999 frames) is used instead of the capacity, which would mean no delay at all.
TEST_F(SpectralDelayTest, DelayBeyondTheLinesReachIsHeldAtTheLongestDelay) {
    ProcessValues fast(96000.f);
    constexpr int kLowBin = 2; // the low band ends at bin 5 at 96 kHz
    Set("LowDelay", 10000.f);
    Set("LowFeedback", 0.f);
    Step(Flat(1.f));
    Silence(2997);
    EXPECT_EQ(Step(Flat(), kLowBin), 0.f);
    EXPECT_NEAR(Step(Flat(), kLowBin), 1.f, kRoundTrip);
}

// The lines hold what the longest delay needs at the rate: 10 s at 44.1 kHz is 1722 frames,
// in every bin for the high band.
TEST_F(SpectralDelayTest, TheLongestDelayFitsTheLinesAtTheRate) {
    Set("HighDelay", 10000.f);
    Set("HighFeedback", 0.f);
    Step(Flat(1.f));
    Silence(1720);
    EXPECT_EQ(Step(Flat(), 500), 0.f);
    EXPECT_NEAR(Step(Flat(), 500), 1.f, kRoundTrip);
}

// Cutoffs beyond the parameters' 10 kHz (bin 232) act as 10 kHz: the high band starts there.
TEST_F(SpectralDelayTest, CutoffsAboveTenKilohertzActAsTenKilohertz) {
    Set("LowCutoff", 20000.f);
    Set("HighCutoff", 15000.f);
    Set("LowDelay", 0.f);
    SetBand("High", 2, 0.f);
    Silence(3);
    const Spectrum first = Step(Flat(1.f));
    EXPECT_EQ(first.GetMagBuffer()[231], 1.f);
    Step(Flat());
    const Spectrum echo = Step(Flat());
    EXPECT_EQ(echo.GetMagBuffer()[231], 0.f);
    EXPECT_NEAR(echo.GetMagBuffer()[232], 1.f, kRoundTrip);
}

} // namespace
