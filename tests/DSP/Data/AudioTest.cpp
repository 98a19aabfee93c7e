#include "DSP/Data/Audio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using DSP::Audio;
using Floats = std::vector<float>;

Floats Samples(const Audio& a) {
    return Floats(a.GetBuffer().GetPtr(), a.GetBuffer().GetPtr() + a.GetSize());
}

// A block of the given samples at 1000 Hz, so that one sample lasts exactly 1 ms.
Audio Block(const Floats& samples) {
    Audio a;
    a.SetSampleRate(1000.f);
    a.SetSize(static_cast<int>(samples.size()));
    std::copy(samples.begin(), samples.end(), a.GetBuffer().GetPtr());
    return a;
}

class AudioTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
    const Audio block = Block({1.f, 2.f, 3.f, 4.f});
};

TEST_F(AudioTest, NewBlocksTakeTheProcessRateAndResizingKeepsTheFirstSamples) {
    const float previous = GlobalProcessInfo::GetSampleRate();
    GlobalProcessInfo::SetSampleRate(48000.f);
    Audio a;
    GlobalProcessInfo::SetSampleRate(previous);
    EXPECT_EQ(a.GetSampleRate(), 48000.f);
    Audio b = block;
    EXPECT_EQ(b.GetDuration(), 4.0); // four samples of 1 ms
    b.SetSize(6);
    EXPECT_EQ(Samples(b), (Floats{1, 2, 3, 4, 0, 0}));
    b.SetSize(2);
    EXPECT_EQ(b.GetBuffer().AllocatedSize(), 2);
    // A negative size would end the process.
    EXPECT_DSP_ASSERT(b.SetSize(-1), "Audio::SetSize: the size must not be negative");
    EXPECT_EQ(Samples(b), (Floats{1, 2}));
}

} // namespace
