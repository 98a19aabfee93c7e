#include "DSP/Processing/Analysis/SinTracking.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/SinePeaks.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

template <class T> std::vector<T> Values(const DSP::Array<T>& a, const DSP::SpectralPeakArray& p) {
    return std::vector<T>(a.GetPtr(), a.GetPtr() + p.GetnPeaks());
}

class SinTrackingTest : public ::testing::Test {
protected:
    void Configure(bool harmonic, int maxTracks = 200) {
        GlobalProcessInfo::SetSampleRate(44100.f);
        DSP::SinTrackingConfig config;
        config.SetIsHarmonic(harmonic);
        config.SetMaxTracks(maxTracks);
        ASSERT_TRUE(tracking.Configure(config));
    }
    void Track(const DSP::SpectralPeakArray& in, float f0) {
        tracking.GetFundFreqControl().DoControl(f0);
        tracking.Do(in, out);
    }
    std::vector<float> Freqs() const { return Values(out.GetFreqBuffer(), out); }
    std::vector<int> Ids() const { return Values<int>(out.GetIndexArray(), out); }

    DSP::SinTracking tracking;
    DSP::SpectralPeakArray out;
};

// Harmonics sit at k * f0 with their peak's magnitude and phase. The peak nearest to 300 Hz is
// the one harmonic 2 took, so the run ends and the 450 Hz peak never appears. An unvoiced or
// non-finite f0 is tracked inharmonically: peaks keep their own frequencies.
TEST_F(SinTrackingTest, HarmonicRunsAndUnvoicedFrames) {
    Configure(true);
    const DSP::SpectralPeakArray in = SinePeaks({101.f, 199.f, 450.f});
    Track(in, 100.f);
    EXPECT_EQ(Freqs(), (std::vector<float>{100.f, 200.f}));
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1}));
    EXPECT_EQ(out.GetMag(1), -1.f);
    EXPECT_EQ(out.GetPhase(1), 0.1f);
    EXPECT_EQ(out.GetScale().GetValue(), DSP::EScale::eLog);
    Track(in, 0.f);
    EXPECT_EQ(Freqs(), (std::vector<float>{101.f, 199.f, 450.f}));
    Track(in, 100.f);
    EXPECT_EQ(Freqs(), (std::vector<float>{100.f, 200.f}));
    Track(in, std::numeric_limits<float>::infinity());
    EXPECT_EQ(Freqs(), (std::vector<float>{101.f, 199.f, 450.f}));
}

// Only the first MaxTracks peaks are tracked, and each continues onto its nearby peak.
TEST_F(SinTrackingTest, TracksAtMostMaxTracksPeaksAndContinuesThem) {
    Configure(false, 3);
    Track(SinePeaks({100.f, 200.f, 300.f, 400.f}), 0.f);
    EXPECT_EQ(Freqs(), (std::vector<float>{100.f, 200.f, 300.f}));
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1, 2}));
    Track(SinePeaks({105.f, 205.f, 305.f}), 0.f);
    EXPECT_EQ(Ids(), (std::vector<int>{0, 1, 2}));
}

// Track 0 (1000 Hz) finds 1090 Hz nearest, but track 1 (1100 Hz) is closer to it: track 0
// dies although 1300 Hz lies within the threshold. Track 1 takes 1090 Hz and 1300 Hz starts
// track 2 in the slot track 0 freed.
TEST_F(SinTrackingTest, TrackDiesWhenItsNearestPeakIsCloserToAnotherTrack) {
    Configure(false, 2);
    Track(SinePeaks({1000.f, 1100.f}), 0.f);
    Track(SinePeaks({1090.f, 1300.f}), 0.f);
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2}));
}

TEST_F(SinTrackingTest, InharmonicFramesRefuseLinearPeaks) {
    Configure(false);
    DSP::SpectralPeakArray linear = SinePeaks({100.f});
    linear.SetScale(DSP::EScale(DSP::EScale::eLinear));
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(Track(linear, 0.f),
                      "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
}

} // namespace
