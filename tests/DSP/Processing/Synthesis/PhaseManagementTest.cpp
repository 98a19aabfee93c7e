#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/SpectralPeakArrayCopy.hpp"
#include "DSP/Misc/PhaseWrap.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// One hop of 256 samples at 44.1 kHz.
constexpr double kHopSeconds = 256.0 / 44100.0;

// Peaks given as (track id, frequency in Hz), all at phase 0.
DSP::SpectralPeakArray Tracks(const std::vector<std::pair<int, float>>& tracks) {
    DSP::SpectralPeakArray peaks;
    peaks.SetScale(DSP::EScale(DSP::EScale::eLog));
    peaks.SetnPeaks(int(tracks.size()));
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        peaks.SetIndex(i, tracks[std::size_t(i)].first);
        peaks.SetFreq(i, tracks[std::size_t(i)].second);
    }
    return peaks;
}

double Wrapped(double phase) {
    return phase - kTwoPi * std::floor(phase / kTwoPi);
}

class PhaseManagementTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalProcessInfo::SetSampleRate(44100.f); }

    void Configure(int type, int maxSines = 100) {
        DSP::PhaseManagementConfig config;
        config.SetType(DSP::EPhaseGeneration(type));
        config.SetMaxSines(maxSines);
        ASSERT_TRUE(phases.Configure(config));
        phases.Init();
    }
    void Run(DSP::SpectralPeakArray& peaks, double time, float pitch = 0.f) {
        phases.GetCurrentTimeControl().DoControl(float(time));
        phases.GetCurrentPitchControl().DoControl(pitch);
        phases.Do(peaks);
    }

    DSP::PhaseManagement phases;
};

// A track present in two frames one hop apart advances at the mean of its two frequencies;
// a new track starts at 2 pi dt f. Time 0 for the first frame keeps the single-precision time
// control exact enough for 1e-5 rad (the hop in float is off by 1e-9 relative).
TEST_F(PhaseManagementTest, ContinuationAdvancesTracksByTheirMeanFrequency) {
    Configure(DSP::EPhaseGeneration::eContinuation);
    DSP::SpectralPeakArray first = Tracks({{0, 440.f}, {1, 880.f}});
    Run(first, 0.0);
    DSP::Frame frame;
    frame.SetCenterTime(float(kHopSeconds));
    frame.GetFundamental().AddElem(220.f, 0.f);
    frame.GetSpectralPeakArray() = Tracks({{0, 440.f}, {1, 900.f}, {2, 660.f}});
    phases.Do(frame);
    EXPECT_FLOAT_EQ(phases.GetCurrentPitchControl().GetLastValue(), 220.f);
    const DSP::SpectralPeakArray& second = frame.GetSpectralPeakArray();
    EXPECT_NEAR(second.GetPhase(0), Wrapped(kTwoPi * 440.0 * 256.0 / 44100.0), 1e-5);
    EXPECT_NEAR(second.GetPhase(1), Wrapped(kTwoPi * 0.5 * (880.0 + 900.0) * kHopSeconds), 1e-5);
    EXPECT_NEAR(second.GetPhase(2), Wrapped(kTwoPi * 660.0 * kHopSeconds), 1e-5);
    // Init forgets the previous frame: every track is new again, timed from 0.
    phases.Init();
    DSP::SpectralPeakArray again = Tracks({{0, 440.f}});
    Run(again, kHopSeconds);
    EXPECT_NEAR(again.GetPhase(0), Wrapped(kTwoPi * 440.0 * kHopSeconds), 1e-5);
}

// A NaN frequency gives a phase of 0 and is not kept; a NaN time counts as no time passed.
TEST_F(PhaseManagementTest, NonFiniteValuesDoNotReachTheNextFrame) {
    Configure(DSP::EPhaseGeneration::eContinuation);
    DSP::SpectralPeakArray bad = Tracks({{0, kNaN}});
    Run(bad, 0.0);
    EXPECT_EQ(bad.GetPhase(0), 0.f);
    DSP::SpectralPeakArray held = Tracks({{0, 440.f}});
    Run(held, kNaN);
    EXPECT_EQ(held.GetPhase(0), 0.f);
    DSP::SpectralPeakArray next = Tracks({{0, 440.f}});
    Run(next, kHopSeconds);
    EXPECT_NEAR(next.GetPhase(0), Wrapped(kTwoPi * 440.0 * kHopSeconds), 1e-5);
}

// Pitch 100 Hz: the first frame only sets the reference; 25 ms later, with a mean period of
// 10 ms, the phases move by the 5 ms past the second whole period (2 pi * 150 Hz * 5 ms).
// Without a pitch the alignment restarts and the phases stay.
TEST_F(PhaseManagementTest, AlignMovesPhasesByTheTimeIntoThePeriod) {
    Configure(DSP::EPhaseGeneration::eAlign);
    DSP::SpectralPeakArray peaks = Tracks({{0, 150.f}});
    peaks.SetPhase(0, 0.25f);
    Run(peaks, 0.1, 100.f);
    EXPECT_EQ(peaks.GetPhase(0), 0.25f);
    Run(peaks, 0.125, 100.f);
    EXPECT_NEAR(peaks.GetPhase(0), Wrapped(0.25 + kTwoPi * 150.0 * 0.005), 1e-5);
    const float aligned = peaks.GetPhase(0);
    Run(peaks, 0.2, 0.f);
    EXPECT_EQ(peaks.GetPhase(0), aligned);
}

// New tracks take the random table's entry of their position (the table repeats beyond
// MaxSines); every random phase lies in one turn.
TEST_F(PhaseManagementTest, RandomGivesNewTracksTablePhases) {
    Configure(DSP::EPhaseGeneration::eRandom, 2);
    DSP::SpectralPeakArray peaks = Tracks({{5, 100.f}, {6, 200.f}, {7, 300.f}});
    Run(peaks, 0.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(peaks.GetPhase(i), 0.f);
        EXPECT_LT(peaks.GetPhase(i), float(kTwoPi));
    }
    EXPECT_EQ(peaks.GetPhase(2), peaks.GetPhase(0));
}

TEST_F(PhaseManagementTest, ContinuationAllocatesNothingOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    Configure(DSP::EPhaseGeneration::eContinuation);
    std::vector<std::pair<int, float>> tracks;
    for (int i = 0; i < DSP::PhaseManagement::kMaxPeaks; ++i)
        tracks.push_back({i, 50.f + 10.f * float(i)});
    const DSP::SpectralPeakArray all = Tracks(tracks);
    const DSP::SpectralPeakArray some =
        Tracks(std::vector<std::pair<int, float>>(tracks.begin(), tracks.begin() + 120));
    DSP::Frame frame;
    frame.GetSpectralPeakArray() = all;
    AllocationCounter counter;
    // The previous frame's copy changes size from hop to hop.
    for (int hop = 0; hop < 4; ++hop) {
        DSP::CopyPeaks(hop % 2 ? some : all, frame.GetSpectralPeakArray());
        frame.SetCenterTime(float(hop * kHopSeconds));
        phases.Do(frame);
    }
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
