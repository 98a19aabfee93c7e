#include "DSP/Processing/Transformations/SimpleOscillator.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using DSP::SimpleOscillator;

constexpr float kRateHz = 44100.f;
// A quarter turn (π/2) per sample, and a quarter turn per 256 samples.
constexpr float kQuarterRateHz = kRateHz / 4.f;
constexpr float kQuarterTurnPerHopHz = kRateHz / 1024.f;
// The sine of a multiple of π/2 rounded to single precision lies within one ulp of 2π (4.8e-7)
// of the exact value.
constexpr float kQuarterTurnTolerance = 1e-6f;

DSP::SimpleOscillatorConfig Config(float frequencyHz, float amplitude = 1.f, float phase = 0.f) {
    DSP::SimpleOscillatorConfig config;
    config.SetFrequency(frequencyHz);
    config.SetAmplitude(amplitude);
    config.SetPhase(phase);
    return config;
}

std::vector<float> Values(SimpleOscillator& oscillator, int count) {
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& value : values)
        oscillator.Do(value);
    return values;
}

void ExpectQuarterTurns(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], kQuarterTurnTolerance) << "value " << i;
}

class SimpleOscillatorTest : public ::testing::Test {
protected:
    SimpleOscillatorTest() { GlobalProcessInfo::SetSampleRate(kRateHz); }
    ~SimpleOscillatorTest() override { GlobalProcessInfo::SetSampleRate(mSavedRate); }

private:
    float mSavedRate = GlobalProcessInfo::GetSampleRate();
};

TEST_F(SimpleOscillatorTest, VisitsTheQuarterTurnsAndTakesUpControlsAtTheNextOutput) {
    SimpleOscillator oscillator(Config(kQuarterRateHz, 0.5f));
    const std::vector<float> values = Values(oscillator, 10);
    EXPECT_EQ(values[0], 0.f);
    EXPECT_EQ(values[1], 0.5f);
    ExpectQuarterTurns(values, {0, .5f, 0, -.5f, 0, .5f, 0, -.5f, 0, .5f});
    // One call advances by "SamplesBetweenCalls" samples.
    SimpleOscillator perHop(Config(kQuarterTurnPerHopHz));
    perHop.GetSamplesBetweenCallsControl().DoControl(256.f);
    ExpectQuarterTurns(Values(perHop, 5), {0, 1, 0, -1, 0});
    // Still, at its crest; then the new amplitude scales the next output and the new rate moves
    // the phase after it.
    SimpleOscillator still(Config(0.f, 1.f, static_cast<float>(M_PI / 2)));
    EXPECT_EQ(Values(still, 2), (std::vector<float>{1, 1}));
    still.GetAmplitudeControl().DoControl(0.25f);
    still.GetPitchControl().DoControl(kQuarterRateHz);
    ExpectQuarterTurns(Values(still, 3), {0.25f, 0.f, -0.25f});
}

TEST_F(SimpleOscillatorTest, BlocksOfAnyLengthContinueTheSameWave) {
    SimpleOscillator byValue(Config(1234.5f, 0.7f));
    SimpleOscillator byBlock(Config(1234.5f, 0.7f));
    const std::vector<float> expected = Values(byValue, 64);
    std::vector<float> blocks;
    DSP::Audio block;
    for (int size : {24, 1, 39}) {
        block.SetSize(size);
        byBlock.Do(block);
        blocks.insert(blocks.end(), block.GetBuffer().GetPtr(), block.GetBuffer().GetPtr() + size);
    }
    EXPECT_EQ(blocks, expected);
}

TEST_F(SimpleOscillatorTest, NonFiniteValuesNeitherStopNorPoisonTheOscillator) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), inf, -inf}) {
        SimpleOscillator oscillator(Config(kQuarterRateHz));
        oscillator.GetPitchControl().DoControl(bad);
        oscillator.GetAmplitudeControl().DoControl(bad);
        ExpectQuarterTurns(Values(oscillator, 4), {0, 1, 0, -1});
        // An advance that is not finite restarts the phase instead of keeping it.
        oscillator.GetSamplesBetweenCallsControl().DoControl(bad);
        Values(oscillator, 1);
        EXPECT_EQ(oscillator.GetPhase(), 0.f) << bad;
    }
}

TEST_F(SimpleOscillatorTest, PhaseStaysWithinOneTurnForFastAndBackwardOscillators) {
    // 3.3 turns forwards per call, and a quarter turn backwards per call.
    for (float frequencyHz : {3.3f * kRateHz, -kQuarterRateHz}) {
        SimpleOscillator oscillator(Config(frequencyHz));
        for (int i = 0; i < 100000; ++i) {
            Values(oscillator, 1);
            ASSERT_TRUE(oscillator.GetPhase() >= 0.f && oscillator.GetPhase() <= 6.2831855f)
                << frequencyHz << " Hz, call " << i;
        }
    }
    SimpleOscillator backwards(Config(-kQuarterRateHz));
    ExpectQuarterTurns(Values(backwards, 4), {0, -1, 0, 1});
}

TEST_F(SimpleOscillatorTest, RefusedConfigurationLeavesTheOscillatorRunning) {
    struct OtherConfig : DSP::ProcessingConfig {};
    SimpleOscillator oscillator(Config(kQuarterRateHz));
    Values(oscillator, 1);
    EXPECT_FALSE(oscillator.Configure(OtherConfig()));
    EXPECT_EQ(oscillator.GetStatus(),
              "SimpleOscillator needs a SimpleOscillatorConfig. Configuration failed.");
    ExpectQuarterTurns(Values(oscillator, 3), {1, 0, -1});
}

} // namespace
