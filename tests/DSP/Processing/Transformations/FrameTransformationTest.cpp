#include "DSP/Processing/Transformations/HLNTransformation.hpp"

#include "DSP/Processing/Base/InControl.hpp"

#include <gtest/gtest.h>

namespace {

// A harmonic effect with one control whose initial value is 2.
class Amplify : public DSP::HLNTransformation {
public:
    const char* GetDSPClassName() const override { return "Amplify"; }
    bool Do() override { return false; }
    bool Do(const DSP::Frame&, DSP::Frame&) override { return true; }
    bool InitControls() override {
        mGain.DoControl(2.f);
        return HLNTransformation::InitControls();
    }

    DSP::InControl mGain{"Gain", this};
};

TEST(FrameTransformationTest, StartingTwiceLeavesEveryControlAtItsInitialValue) {
    Amplify effect;
    EXPECT_EQ(effect.GetStatus(), "Ready to be started"); // built configured
    for (int start = 0; start < 2; ++start) {
        effect.mAmount = 5.f;
        effect.mGain.DoControl(7.f);
        effect.Start();
        EXPECT_EQ(effect.mGain.GetLastValue(), 2.f);
        EXPECT_EQ(effect.mAmount.load(), 0.f);
    }
}

// The bases keep no configuration: whatever the engine passes, an effect that does not store
// it reports InPlace false and an empty curve.
TEST(FrameTransformationTest, BaseConfigurationIsKeptNowhere) {
    Amplify effect;
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    config.GetAmountCurve().Insert(-12.f, 1.f);
    ASSERT_TRUE(effect.Configure(config));
    const auto& kept = dynamic_cast<const DSP::FrameTransformationConfig&>(effect.GetConfig());
    EXPECT_FALSE(kept.GetInPlace());
    EXPECT_EQ(kept.GetAmountCurve().Size(), 0);
}

} // namespace
