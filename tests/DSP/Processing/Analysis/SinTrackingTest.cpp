#include "DSP/Processing/Analysis/SinTracking.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "support/AllocationCounter.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace {

struct Peak {
    float freqHz;
    float magDb;
    float phase;
};

DSP::SpectralPeakArray PeaksOf(const std::vector<Peak>& peaks) {
    DSP::SpectralPeakArray array;
    array.SetScale(DSP::EScale(DSP::EScale::eLog));
    array.SetnMaxPeaks(int(peaks.size()));
    array.SetnPeaks(int(peaks.size()));
    for (int i = 0; i < array.GetnPeaks(); ++i) {
        array.SetFreq(i, peaks[std::size_t(i)].freqHz);
        array.SetMag(i, peaks[std::size_t(i)].magDb);
        array.SetPhase(i, peaks[std::size_t(i)].phase);
    }
    return array;
}

std::vector<int> Ids(const DSP::SpectralPeakArray& peaks) {
    return std::vector<int>(peaks.GetIndexArray().GetPtr(),
                            peaks.GetIndexArray().GetPtr() + peaks.GetnPeaks());
}

std::vector<float> Freqs(const DSP::SpectralPeakArray& peaks) {
    return std::vector<float>(peaks.GetFreqBuffer().GetPtr(),
                              peaks.GetFreqBuffer().GetPtr() + peaks.GetnPeaks());
}

class SinTrackingTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalProcessInfo::SetSampleRate(44100.f); }

    void Configure(bool harmonic, int maxTracks = 200) {
        DSP::SinTrackingConfig config;
        config.SetIsHarmonic(harmonic);
        config.SetMaxTracks(maxTracks);
        ASSERT_TRUE(tracking.Configure(config));
    }
    void Track(const DSP::SpectralPeakArray& in, float f0) {
        tracking.GetFundFreqControl().DoControl(f0);
        tracking.Do(in, out);
    }

    DSP::SinTracking tracking;
    DSP::SpectralPeakArray out;
};

// Harmonics sit at k * f0 with the peak's magnitude and phase. The peak nearest to 300 Hz is
// the one harmonic 2 took, so the run ends and the 450 Hz peak never appears.
TEST_F(SinTrackingTest, HarmonicRunStopsAtAPeakAlreadyUsed) {
    Configure(true);
    Track(PeaksOf({{101.f, -10.f, 0.5f}, {199.f, -20.f, 1.5f}, {450.f, -30.f, 2.5f}}), 100.f);
    EXPECT_EQ(Freqs(out), (std::vector<float>{100.f, 200.f}));
    EXPECT_EQ(out.GetMag(0), -10.f);
    EXPECT_EQ(out.GetMag(1), -20.f);
    EXPECT_EQ(out.GetPhase(1), 1.5f);
    EXPECT_EQ(Ids(out), (std::vector<int>{0, 1}));
    EXPECT_EQ(out.GetScale().GetValue(), DSP::EScale::eLog);
    EXPECT_TRUE(out.GetIsIndexUpToDate());
}

// f0 = 0 (unvoiced) and a non-finite f0 are tracked inharmonically: the peaks keep their own
// frequencies and get new ids; the next voiced frame is harmonic again.
TEST_F(SinTrackingTest, UnvoicedFramesAreTrackedInharmonically) {
    Configure(true);
    const DSP::SpectralPeakArray in = PeaksOf({{101.f, -10.f, 0.f}, {199.f, -20.f, 0.f}});
    Track(in, 0.f);
    EXPECT_EQ(Freqs(out), (std::vector<float>{101.f, 199.f}));
    EXPECT_EQ(Ids(out), (std::vector<int>{0, 1}));
    Track(in, 100.f);
    EXPECT_EQ(Freqs(out), (std::vector<float>{100.f, 200.f}));
    Track(in, std::numeric_limits<float>::infinity());
    EXPECT_EQ(Freqs(out), (std::vector<float>{101.f, 199.f}));
}

// Only the first MaxTracks peaks are tracked; in the next frame each track continues onto the
// same peak with the same id.
TEST_F(SinTrackingTest, TracksAtMostMaxTracksPeaksAndContinuesThem) {
    Configure(false, 3);
    const DSP::SpectralPeakArray in =
        PeaksOf({{100.f, -1.f, 0.f}, {200.f, -2.f, 0.f}, {300.f, -3.f, 0.f}, {400.f, -4.f, 0.f}});
    Track(in, 0.f);
    EXPECT_EQ(Freqs(out), (std::vector<float>{100.f, 200.f, 300.f}));
    EXPECT_EQ(Ids(out), (std::vector<int>{0, 1, 2}));
    Track(PeaksOf({{105.f, -1.f, 0.f}, {205.f, -2.f, 0.f}, {305.f, -3.f, 0.f}}), 0.f);
    EXPECT_EQ(Ids(out), (std::vector<int>{0, 1, 2}));
}

// Track 0 (1000 Hz) finds 1090 Hz as its nearest peak, but track 1 (1100 Hz) is closer to it:
// track 0 dies although 1300 Hz lies within the threshold. Track 1 continues onto 1090 Hz and
// 1300 Hz starts a new track in the slot track 0 freed.
TEST_F(SinTrackingTest, TrackDiesWhenItsNearestPeakIsCloserToAnotherTrack) {
    Configure(false, 2);
    Track(PeaksOf({{1000.f, -10.f, 0.f}, {1100.f, -10.f, 0.f}}), 0.f);
    Track(PeaksOf({{1090.f, -10.f, 0.f}, {1300.f, -10.f, 0.f}}), 0.f);
    EXPECT_EQ(Freqs(out), (std::vector<float>{1090.f, 1300.f}));
    EXPECT_EQ(Ids(out), (std::vector<int>{1, 2}));
}

TEST_F(SinTrackingTest, InharmonicFramesRefuseLinearPeaks) {
    Configure(false);
    DSP::SpectralPeakArray linear = PeaksOf({{100.f, 0.5f, 0.f}});
    linear.SetScale(DSP::EScale(DSP::EScale::eLinear));
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(Track(linear, 0.f),
                      "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
}

// Harmonic, first inharmonic, later inharmonic and harmonic-again frames, with more peaks
// than tracks, all within the storage sized at configuration.
TEST_F(SinTrackingTest, TrackingAllocatesNothingOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    Configure(true);
    std::vector<Peak> many;
    for (int i = 1; i <= 300; ++i)
        many.push_back({100.f * float(i) + float(i % 7), -float(i % 40), 0.f});
    const DSP::SpectralPeakArray in = PeaksOf(many);
    const DSP::SpectralPeakArray few = PeaksOf(std::vector<Peak>(many.begin(), many.begin() + 50));
    out.SetnMaxPeaks(200);
    AllocationCounter counter;
    // The frames change the number of output peaks (200, 50, 200, 50 harmonics, 200).
    for (const auto& [peaks, f0] :
         {std::pair{&in, 100.f}, std::pair{&few, 0.f}, std::pair{&in, 0.f}, std::pair{&few, 100.f},
          std::pair{&in, 100.f}})
        Track(*peaks, f0);
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
