#include "DSP/Processing/Transformations/SimpleOscillator.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using DSP::SimpleOscillator;
using DSP::SimpleOscillatorConfig;

constexpr float kRateHz = 44100.f;
// A quarter of the sample rate: a quarter turn (π/2) per sample.
constexpr float kQuarterRateHz = kRateHz / 4.f;
// A quarter turn per 256 samples.
constexpr float kQuarterTurnPerHopHz = kRateHz / 1024.f;
// sin at a multiple of π/2 rounded to single precision is within one ulp of 2π (4.8e-7) of
// the exact value.
constexpr float kQuarterTurnTolerance = 1e-6f;

SimpleOscillatorConfig Config(float frequencyHz, float amplitude = 1.f, float phaseRad = 0.f) {
    SimpleOscillatorConfig config;
    config.SetFrequency(frequencyHz);
    config.SetAmplitude(amplitude);
    config.SetPhase(phaseRad);
    return config;
}

std::vector<float> Values(SimpleOscillator& oscillator, int count) {
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& value : values)
        oscillator.Do(value);
    return values;
}

void ExpectNear(const std::vector<float>& actual, const std::vector<float>& expected,
                float tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "value " << i;
}

class SimpleOscillatorTest : public ::testing::Test {
protected:
    SimpleOscillatorTest() : mSavedRate(GlobalProcessInfo::GetSampleRate()) {
        GlobalProcessInfo::SetSampleRate(kRateHz);
    }
    ~SimpleOscillatorTest() override { GlobalProcessInfo::SetSampleRate(mSavedRate); }

private:
    float mSavedRate;
};

TEST_F(SimpleOscillatorTest, DefaultConfigurationIs440HzFullScaleFromPhaseZero) {
    const SimpleOscillatorConfig config;
    EXPECT_EQ(config.GetFrequency(), 440.f);
    EXPECT_EQ(config.GetAmplitude(), 1.f);
    EXPECT_EQ(config.GetPhase(), 0.f);
    SimpleOscillator oscillator;
    EXPECT_STREQ(oscillator.GetDSPClassName(), "SimpleOscillator");
    EXPECT_TRUE(oscillator.IsConfigured());
    const std::vector<float> values = Values(oscillator, 2);
    EXPECT_EQ(values[0], 0.f);
    EXPECT_EQ(values[1], std::sin(static_cast<float>(2.0 * M_PI * 440.0 / kRateHz)));
}

TEST_F(SimpleOscillatorTest, PublishesItsControlsAndOutputByName) {
    SimpleOscillator oscillator;
    std::vector<std::string> names;
    for (DSP::InControl* control : oscillator.GetInControls())
        names.push_back(control->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Pitch", "Amplitude", "SamplesBetweenCalls"}));
    EXPECT_TRUE(oscillator.GetOutPorts().Has("Audio Output"));
    EXPECT_EQ(oscillator.GetSamplesBetweenCallsControl().GetLastValue(), 1.f);
}

TEST_F(SimpleOscillatorTest, QuarterRateOscillatorVisitsTheQuarterTurnsAndWrapsAtTwoPi) {
    SimpleOscillator oscillator(Config(kQuarterRateHz, 2.f));
    const std::vector<float> values = Values(oscillator, 12);
    ExpectNear(values, {0, 2, 0, -2, 0, 2, 0, -2, 0, 2, 0, -2}, 2 * kQuarterTurnTolerance);
    EXPECT_EQ(values[1], 2.f);
    EXPECT_GE(oscillator.GetPhase(), 0.f);
    EXPECT_LE(oscillator.GetPhase(), 6.2831855f);
}

TEST_F(SimpleOscillatorTest, StartsAtTheConfiguredPhaseAndAmplitude) {
    SimpleOscillator oscillator(Config(0.f, 0.5f, static_cast<float>(M_PI / 2)));
    EXPECT_EQ(Values(oscillator, 3), (std::vector<float>{0.5f, 0.5f, 0.5f}));
}

TEST_F(SimpleOscillatorTest, OneCallAdvancesBySamplesBetweenCalls) {
    SimpleOscillator oscillator(Config(kQuarterTurnPerHopHz));
    oscillator.GetSamplesBetweenCallsControl().DoControl(256.f);
    ExpectNear(Values(oscillator, 5), {0, 1, 0, -1, 0}, kQuarterTurnTolerance);
}

TEST_F(SimpleOscillatorTest, ControlChangesApplyAtTheNextOutput) {
    SimpleOscillator oscillator(Config(0.f, 1.f, static_cast<float>(M_PI / 2)));
    oscillator.GetAmplitudeControl().DoControl(0.25f);
    oscillator.GetPitchControl().DoControl(kQuarterRateHz);
    // The new amplitude scales this output; the new rate moves the phase after it.
    ExpectNear(Values(oscillator, 3), {0.25f, 0.f, -0.25f}, kQuarterTurnTolerance);
    EXPECT_EQ(oscillator.GetPitchControl().GetLastValue(), kQuarterRateHz);
}

TEST_F(SimpleOscillatorTest, AudioBlocksContinueOneAnotherAndMatchSingleValues) {
    SimpleOscillator byValue(Config(1234.5f, 0.7f));
    SimpleOscillator byBlock(Config(1234.5f, 0.7f));
    const std::vector<float> expected = Values(byValue, 64);
    DSP::Audio block;
    block.SetSize(24);
    std::vector<float> actual;
    for (int size : {24, 1, 39}) {
        block.SetSize(size);
        byBlock.Do(block);
        for (int i = 0; i < size; ++i)
            actual.push_back(block.GetBuffer()[i]);
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(SimpleOscillatorTest, PortStepWritesTheNextBlockOfTheStream) {
    SimpleOscillator byPort(Config(1234.5f, 0.7f));
    SimpleOscillator byValue(Config(1234.5f, 0.7f));
    DSP::AudioInPort reader;
    byPort.GetOutPorts().Get("Audio Output").ConnectToIn(reader);
    for (int block = 0; block < 2; ++block) {
        ASSERT_TRUE(byPort.Do());
        ASSERT_TRUE(reader.CanConsume());
        const DSP::Array<float>& samples = reader.GetAudio().GetBuffer();
        ASSERT_EQ(samples.Size(), 512);
        const std::vector<float> expected = Values(byValue, 512);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(samples[i], expected[static_cast<std::size_t>(i)]) << "sample " << i;
        reader.Consume();
    }
    // Two blocks the reader has not taken fill the stream: the third step waits.
    EXPECT_TRUE(byPort.Do());
    EXPECT_TRUE(byPort.Do());
    EXPECT_FALSE(byPort.Do());
}

TEST_F(SimpleOscillatorTest, NonFiniteRateOrAmplitudeIsIgnored) {
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        SimpleOscillator oscillator(Config(kQuarterRateHz));
        oscillator.GetPitchControl().DoControl(bad);
        oscillator.GetAmplitudeControl().DoControl(-bad);
        ExpectNear(Values(oscillator, 4), {0, 1, 0, -1}, kQuarterTurnTolerance);
    }
}

TEST_F(SimpleOscillatorTest, PhaseStaysWithinOneTurnForFastAndBackwardOscillators) {
    // 3.3 turns per call, and a quarter turn backwards per call.
    for (float frequencyHz : {3.3f * kRateHz, -kQuarterRateHz}) {
        SimpleOscillator oscillator(Config(frequencyHz));
        for (int i = 0; i < 100000; ++i) {
            float value;
            oscillator.Do(value);
            ASSERT_GE(oscillator.GetPhase(), 0.f) << frequencyHz << " Hz, call " << i;
            ASSERT_LE(oscillator.GetPhase(), 6.2831855f) << frequencyHz << " Hz, call " << i;
        }
    }
    SimpleOscillator backwards(Config(-kQuarterRateHz));
    ExpectNear(Values(backwards, 4), {0, -1, 0, 1}, 2 * kQuarterTurnTolerance);
}

TEST_F(SimpleOscillatorTest, NonFiniteAdvanceRestartsThePhaseAtZero) {
    SimpleOscillator oscillator(Config(kQuarterRateHz));
    oscillator.GetSamplesBetweenCallsControl().DoControl(std::numeric_limits<float>::infinity());
    float value;
    oscillator.Do(value);
    EXPECT_EQ(oscillator.GetPhase(), 0.f);
}

TEST_F(SimpleOscillatorTest, RefusedConfigurationLeavesTheOscillatorRunning) {
    struct OtherConfig : DSP::ProcessingConfig {};
    SimpleOscillator oscillator(Config(kQuarterRateHz));
    float value;
    oscillator.Do(value);
    EXPECT_FALSE(oscillator.Configure(OtherConfig()));
    EXPECT_NE(oscillator.GetStatus().find("SimpleOscillator needs a SimpleOscillatorConfig."),
              std::string::npos);
    ExpectNear(Values(oscillator, 3), {1, 0, -1}, kQuarterTurnTolerance);
}

} // namespace
