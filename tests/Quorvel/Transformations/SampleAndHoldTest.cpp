#include "Quorvel/Transformations/SampleAndHold.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "Quorvel/Transformations/SpectrumFrames.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using DSP::SampleAndHold;
using DSP::Spectrum;

constexpr int kBin = 40;
constexpr float kPhaseStep = 0.2f;

class SampleAndHoldTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hold.Configure(DSP::FrameTransformationConfig()));
        hold.Start();
    }

    // Frame t: magnitude t + 1 in every bin (so the output names the frame it holds) and a
    // phase that grows by kPhaseStep per frame.
    static Spectrum Frame(int t) {
        return MakeSpectrum(kEngineBins, static_cast<float>(t + 1),
                            DSP::WrapPhase(kPhaseStep * static_cast<float>(t)));
    }

    // The frame number each of count outputs holds.
    std::vector<int> HeldFrames(int count) {
        std::vector<int> held;
        Spectrum out = MakeSpectrum(kEngineBins);
        for (int t = 0; t < count; ++t) {
            hold.Do(Frame(t), out);
            held.push_back(static_cast<int>(out.GetMagBuffer()[kBin]) - 1);
        }
        return held;
    }

    ProcessValues process;
    SampleAndHold hold;
};

TEST_F(SampleAndHoldTest, StartsWithAHoldOfTwoHundredMillisecondsAndNoControls) {
    EXPECT_EQ(hold.mAmount.load(), 200.f);
    EXPECT_EQ(hold.GetInControls().Size(), 0);
    EXPECT_STREQ(hold.GetDSPClassName(), "SampleAndHold");
    EXPECT_TRUE(hold.GetInPorts().Has("In Spectrum"));
    EXPECT_TRUE(hold.GetOutPorts().Has("Out Spectrum"));
}

// 200 ms at 44.1 kHz and a hop of 256 (5.805 ms per frame): a new capture every 36 frames.
TEST_F(SampleAndHoldTest, CapturesEveryThirtySixFramesAtTwoHundredMilliseconds) {
    const std::vector<int> held = HeldFrames(110);
    for (int t = 0; t < 110; ++t)
        ASSERT_EQ(held[t], t / 36 * 36) << t;
}

// A hold lasts ⌊h / 5.805 ms⌋ + 2 frames.
TEST_F(SampleAndHoldTest, HoldLengthFollowsTheHoldTime) {
    struct Case {
        float holdMs;
        int frames;
    };
    for (const Case& c :
         {Case{1.f, 2}, Case{5.f, 2}, Case{10.f, 3}, Case{50.f, 10}, Case{1000.f, 174}}) {
        hold.Start();
        hold.mAmount = c.holdMs;
        const std::vector<int> held = HeldFrames(2 * c.frames + 1);
        for (int t = 0; t <= 2 * c.frames; ++t)
            ASSERT_EQ(held[t], t / c.frames * c.frames) << c.holdMs << " ms, frame " << t;
    }
}

TEST_F(SampleAndHoldTest, HoldTimesBelowOneMillisecondPassTheInputThrough) {
    for (float holdMs : {0.99f, 0.f, -5.f, std::numeric_limits<float>::quiet_NaN()}) {
        hold.mAmount = holdMs;
        for (int t = 0; t < 4; ++t) {
            const Spectrum in = Frame(t);
            Spectrum out = MakeSpectrum(kEngineBins);
            hold.Do(in, out);
            for (int k = 0; k < kEngineBins; ++k) {
                ASSERT_EQ(out.GetMagBuffer()[k], in.GetMagBuffer()[k]) << holdMs;
                ASSERT_EQ(out.GetPhaseBuffer()[k], in.GetPhaseBuffer()[k]) << holdMs;
            }
        }
    }
}

// The held phases advance by the increment between the captured frame and the next one, so a
// steadily turning input keeps turning during the hold.
TEST_F(SampleAndHoldTest, HeldPhasesKeepAdvancing) {
    Spectrum out = MakeSpectrum(kEngineBins);
    for (int t = 0; t < 36; ++t) {
        hold.Do(Frame(t), out);
        // t steps of 0.2 rad summed and wrapped in single precision.
        EXPECT_NEAR(out.GetPhaseBuffer()[kBin], DSP::WrapPhase(kPhaseStep * t), 1e-5f) << t;
    }
}

TEST_F(SampleAndHoldTest, StartingRestartsTheCycle) {
    HeldFrames(10);
    hold.mAmount = 7.f;
    hold.Start();
    EXPECT_EQ(hold.mAmount.load(), 200.f);
    Spectrum out = MakeSpectrum(kEngineBins);
    hold.Do(Frame(50), out);
    EXPECT_EQ(out.GetMagBuffer()[kBin], 51.f);
}

TEST_F(SampleAndHoldTest, NonFiniteBinsAreNeverHeld) {
    Spectrum bad = Frame(0);
    bad.GetMagBuffer()[kBin] = std::numeric_limits<float>::quiet_NaN();
    bad.GetPhaseBuffer()[kBin] = std::numeric_limits<float>::infinity();
    Spectrum out = MakeSpectrum(kEngineBins);
    hold.Do(bad, out);
    Spectrum next = Frame(1);
    next.GetPhaseBuffer()[3] = std::numeric_limits<float>::quiet_NaN();
    for (int t = 0; t < 5; ++t) {
        hold.Do(next, out);
        for (int k = 0; k < kEngineBins; ++k) {
            ASSERT_TRUE(std::isfinite(out.GetMagBuffer()[k])) << k;
            ASSERT_TRUE(std::isfinite(out.GetPhaseBuffer()[k])) << k;
        }
    }
}

TEST_F(SampleAndHoldTest, AnotherBinCountStartsANewHold) {
    Spectrum out = MakeSpectrum(kEngineBins);
    hold.Do(Frame(0), out);
    hold.Do(Frame(1), out);
    const Spectrum small = MakeSpectrum(257, 9.f, 1.f);
    Spectrum smallOut = MakeSpectrum(257);
    hold.Do(small, smallOut);
    EXPECT_EQ(smallOut.GetMagBuffer()[kBin], 9.f);
}

TEST_F(SampleAndHoldTest, DoNeverTouchesTheHeapOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    const Spectrum in = Frame(3);
    Spectrum out = MakeSpectrum(kEngineBins);
    AllocationCounter heap;
    for (int t = 0; t < 80; ++t) {
        hold.Do(in, out);
        hold.Do(out, out);
    }
    EXPECT_EQ(heap.Calls(), 0);
}

} // namespace
