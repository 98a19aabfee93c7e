#include "DSP/Processing/Analysis/BinaryAudioOp.hpp"

#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using DSP::Audio;

Audio Block(int size, float first, float step) {
    Audio a;
    a.SetSize(size);
    for (int i = 0; i < size; ++i)
        a.GetBuffer()[i] = first + step * float(i);
    return a;
}

class AudioMultiplierTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
    DSP::AudioMultiplier multiplier;
};

TEST_F(AudioMultiplierTest, MultipliesOnlyTheFirstInputsSamples) {
    EXPECT_STREQ(multiplier.GetDSPClassName(), "AudioMultiplier");
    const Audio in1 = Block(3, 1.0f, 1.0f);
    const Audio in2 = Block(5, 2.0f, 0.5f);
    Audio out = Block(5, -1.0f, 0.0f);
    EXPECT_TRUE(multiplier.Do(in1, in2, out));
    EXPECT_EQ(out.GetBuffer()[0], 2.0f);
    EXPECT_EQ(out.GetBuffer()[1], 5.0f);
    EXPECT_EQ(out.GetBuffer()[2], 9.0f);
    EXPECT_EQ(out.GetBuffer()[3], -1.0f);
    EXPECT_EQ(out.GetBuffer()[4], -1.0f);
}

TEST_F(AudioMultiplierTest, OutputMayBeEitherInput) {
    Audio frame = Block(4, 1.0f, 1.0f);
    const Audio window = Block(4, 2.0f, 0.0f);
    multiplier.Do(window, frame, frame);
    EXPECT_EQ(frame.GetBuffer()[3], 8.0f);
}

TEST_F(AudioMultiplierTest, SizesAreCheckedInOrderAndNothingChanges) {
    const Audio longer = Block(6, 1.0f, 0.0f);
    Audio shortOut = Block(2, 3.0f, 0.0f);
    const Audio shortIn = Block(2, 1.0f, 0.0f);
    EXPECT_DSP_ASSERT(multiplier.Do(longer, shortIn, shortOut),
                      "BinaryAudioOperation::Do(): Incompatible Input Audio Data Sizes");
    EXPECT_DSP_ASSERT(multiplier.Do(longer, longer, shortOut),
                      "BinaryAudioOperation::Do(): Incompatible Output Audio Data Size");
    EXPECT_EQ(shortOut.GetBuffer()[0], 3.0f);
}

TEST_F(AudioMultiplierTest, AcceptsOnlyItsOwnConfiguration) {
    EXPECT_TRUE(multiplier.Configure(DSP::BinaryAudioOpConfig()));
    struct OtherConfig : DSP::ProcessingConfig {};
    EXPECT_FALSE(multiplier.Configure(OtherConfig()));
    EXPECT_NE(multiplier.GetStatus().find("Config should be a BynariaAudioOpConfig"),
              std::string::npos);
}

TEST_F(AudioMultiplierTest, PortDrivenProductConsumesBothInputs) {
    DSP::AudioOutPort first("first"), second("second");
    DSP::AudioInPort sink("sink");
    first.ConnectToIn(multiplier.GetFirstInput());
    second.ConnectToIn(multiplier.GetSecondInput());
    multiplier.GetOutput().ConnectToIn(sink);
    for (int i = 0; i < 512; ++i) {
        first.GetAudio().GetBuffer()[i] = float(i);
        second.GetAudio().GetBuffer()[i] = 0.5f;
    }
    first.Produce();
    second.Produce();
    EXPECT_TRUE(multiplier.Do());
    EXPECT_FALSE(multiplier.GetFirstInput().CanConsume());
    EXPECT_FALSE(multiplier.GetSecondInput().CanConsume());
    ASSERT_TRUE(sink.CanConsume());
    EXPECT_EQ(sink.GetAudio().GetBuffer()[100], 50.0f);
}

} // namespace
