#include "Quorvel/Transformations/HLN/HLNHarmonizer.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrames.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

class HLNHarmonizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseEngineRate();
        DSP::FrameTransformationConfig config;
        config.SetInPlace(true);
        harmonizer.Configure(config);
        harmonizer.Start();
    }
    void Set(const std::string& control, float value) {
        harmonizer.GetInControls().Get(control).DoControl(value);
    }
    // Runs one frame and tells whether any voice reached the output.
    bool VoicesHeard(const DSP::Frame& in) {
        out = in;
        harmonizer.Do(in, out);
        bool heard = false;
        for (int k = 0; k < kResidualBins; ++k)
            heard = heard || out.GetResMag(k) != 0.f ||
                    out.GetSinusoidalSpec().GetComplexArray()[k].Mag() != 0.f;
        return heard;
    }
    DSP::HLNHarmonizer harmonizer;
    DSP::Frame out;
};

TEST_F(HLNHarmonizerTest, DelaysAreWholeFramesHeldWithinTheLines) {
    const DSP::Frame in = HarmonicFrame(220.f);
    // 3 and 6 ms at 44.1 kHz are 0.52 and 1.03 hops: voice 1 sounds at once.
    Set("Gain2", -100.f);
    EXPECT_TRUE(VoicesHeard(in));
    // 100 ms is 17.2 hops, truncated to 17: silent for 17 frames, heard on the 18th. 3000 ms
    // is 516 hops, beyond the lines (87 frames at 44.1 kHz, which they would take as no
    // delay): voice 2 is held at 86 frames and stays silent.
    harmonizer.Configure(harmonizer.GetConfig());
    harmonizer.Start();
    Set("Delay1", 100.f);
    Set("Delay2", 3000.f);
    for (int frame = 0; frame < 17; ++frame)
        ASSERT_FALSE(VoicesHeard(in)) << "frame " << frame;
    EXPECT_TRUE(VoicesHeard(in));
}

TEST_F(HLNHarmonizerTest, GainsBelowMinus80DbSilenceBothVoices) {
    Set("Gain1", -81.f);
    Set("Gain2", -90.f);
    const DSP::Frame in = HarmonicFrame(220.f);
    for (int frame = 0; frame < 5; ++frame)
        ASSERT_FALSE(VoicesHeard(in));
    ExpectSameArray(out.GetResidualSpec().GetPhaseBuffer(), in.GetResidualSpec().GetPhaseBuffer());
}

TEST_F(HLNHarmonizerTest, VoiceResidualMagnitudesAddOntoTheInputPhases) {
    // Untransposed voices at 0 dB without delay: each adds the input residual's magnitude.
    Set("Transposition1", 1.f);
    Set("Transposition2", 1.f);
    Set("Gain1", 0.f);
    Set("Gain2", 0.f);
    Set("Delay1", 0.f);
    Set("Delay2", 0.f);
    const DSP::Frame in = HarmonicFrame(220.f);
    ASSERT_TRUE(VoicesHeard(in));
    for (int k = 0; k < kResidualBins; ++k) {
        // 10^(0/20) through the fast power: within 1e-4 of 1.
        ASSERT_NEAR(out.GetResMag(k), 2.f * in.GetResMag(k), 1e-4f * in.GetResMag(k));
        ASSERT_EQ(out.GetResPhase(k), in.GetResPhase(k));
    }
}

TEST_F(HLNHarmonizerTest, PortDrivenDoIsNotAvailable) {
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(harmonizer.Do(), "Do with ports not implemented");
}

} // namespace
