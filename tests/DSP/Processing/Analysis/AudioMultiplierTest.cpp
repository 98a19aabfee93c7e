#include "DSP/Processing/Analysis/BinaryAudioOp.hpp"

#include "DSP/Processing/SignalTestData.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using DSP::Audio;

TEST(AudioMultiplierTest, MultipliesOnlyTheFirstInputsSamplesEvenInPlace) {
    DSP::AudioMultiplier multiplier;
    Audio out = AudioOf({-1, -1, -1, -1, -1});
    EXPECT_TRUE(multiplier.Do(AudioOf({1, 2, 3}), AudioOf({2, 2.5f, 3, 3.5f, 4}), out));
    EXPECT_EQ(Samples(out.GetBuffer()), (std::vector<float>{2, 5, 9, -1, -1}));
    Audio frame = AudioOf({1, 2, 3, 4});
    multiplier.Do(AudioOf({2, 2, 2, 2}), frame, frame);
    EXPECT_EQ(Samples(frame.GetBuffer()), (std::vector<float>{2, 4, 6, 8}));
}

TEST(AudioMultiplierTest, RefusalsAreCheckedInOrderAndChangeNothing) {
    QuietAssertions quiet;
    DSP::AudioMultiplier multiplier;
    const Audio longer = AudioOf({1, 1, 1}), shorter = AudioOf({1, 1});
    Audio out = AudioOf({3, 3});
    EXPECT_DSP_ASSERT(multiplier.Do(longer, shorter, out),
                      "BinaryAudioOperation::Do(): Incompatible Input Audio Data Sizes");
    EXPECT_DSP_ASSERT(multiplier.Do(longer, longer, out),
                      "BinaryAudioOperation::Do(): Incompatible Output Audio Data Size");
    EXPECT_EQ(Samples(out.GetBuffer()), (std::vector<float>{3, 3}));
    struct OtherConfig : DSP::ProcessingConfig {};
    EXPECT_FALSE(multiplier.Configure(OtherConfig()));
    EXPECT_NE(multiplier.GetStatus().find("Config should be a BynariaAudioOpConfig"),
              std::string::npos);
}

} // namespace
