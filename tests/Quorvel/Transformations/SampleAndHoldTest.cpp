#include "Quorvel/Transformations/SampleAndHold.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using DSP::Spectrum;

constexpr int kBin = 40;
constexpr float kPhaseStep = 0.2f;

// Frame t: magnitude t + 1 in every bin (so the output names the frame it holds) and a phase
// that grows by kPhaseStep per frame.
Spectrum Frame(int t) {
    return MakeSpectrum(kEngineBins, static_cast<float>(t + 1),
                        DSP::WrapPhase(kPhaseStep * static_cast<float>(t)));
}

class SampleAndHoldTest : public EffectTest<DSP::SampleAndHold> {
protected:
    // The frame number each of count outputs holds.
    std::vector<int> HeldFrames(int count) {
        std::vector<int> held;
        for (int t = 0; t < count; ++t)
            held.push_back(static_cast<int>(Step(Frame(t), kBin)) - 1);
        return held;
    }
};

// A hold lasts ⌊h / 5.805 ms⌋ + 2 frames (44.1 kHz, hop 256): 36 frames at the initial 200 ms.
TEST_F(SampleAndHoldTest, HoldLengthFollowsTheHoldTime) {
    struct Case {
        float holdMs;
        int frames;
    };
    for (const Case& c : {Case{200.f, 36}, Case{1.f, 2}, Case{5.f, 2}, Case{10.f, 3},
                          Case{50.f, 10}, Case{1000.f, 174}}) {
        effect.Start();
        if (c.holdMs != 200.f)
            effect.mAmount = c.holdMs;
        const std::vector<int> held = HeldFrames(3 * c.frames + 1);
        for (int t = 0; t <= 3 * c.frames; ++t)
            ASSERT_EQ(held[t], t / c.frames * c.frames) << c.holdMs << " ms, frame " << t;
    }
}

TEST_F(SampleAndHoldTest, HoldTimesBelowOneMillisecondPassTheInputThrough) {
    for (float holdMs : {0.99f, 0.f, -5.f, std::numeric_limits<float>::quiet_NaN()}) {
        effect.mAmount = holdMs;
        for (int t = 0; t < 4; ++t) {
            SCOPED_TRACE(holdMs);
            ExpectSameSpectrum(Step(Frame(t)), Frame(t));
        }
    }
}

// The held phases advance by the increment between the captured frame and the next one, so a
// steadily turning input keeps turning during the effect.
TEST_F(SampleAndHoldTest, HeldPhasesKeepAdvancing) {
    for (int t = 0; t < 36; ++t) {
        const Spectrum out = Step(Frame(t));
        // t steps of 0.2 rad summed and wrapped in single precision.
        EXPECT_NEAR(out.GetPhaseBuffer()[kBin], DSP::WrapPhase(kPhaseStep * t), 1e-5f) << t;
    }
}

TEST_F(SampleAndHoldTest, StartingOrAnotherBinCountStartsANewHold) {
    HeldFrames(10);
    effect.Start();
    EXPECT_EQ(Step(Frame(50), kBin), 51.f);
    EXPECT_EQ(Step(MakeSpectrum(257, 9.f, 1.f), kBin), 9.f);
}

} // namespace
