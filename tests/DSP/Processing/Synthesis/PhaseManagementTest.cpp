#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/SinePeaks.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr double kHopSeconds = 256.0 / 44100.0;

double Wrapped(double phase) {
    return phase - kTwoPi * std::floor(phase / kTwoPi);
}

class PhaseManagementTest : public ::testing::Test {
protected:
    void Configure(int type) {
        GlobalProcessInfo::SetSampleRate(44100.f);
        DSP::PhaseManagementConfig config;
        config.SetType(DSP::EPhaseGeneration(type));
        ASSERT_TRUE(phases.Configure(config));
        phases.Init();
    }
    float Run(DSP::SpectralPeakArray&& peaks, double time) {
        phases.GetCurrentTimeControl().DoControl(float(time));
        phases.Do(peaks);
        return peaks.GetPhase(0);
    }

    DSP::PhaseManagement phases;
};

// One hop apart at 44.1 kHz, a track at 440 Hz in both frames advances by 2 pi 440 256/44100,
// a track gliding from 880 to 900 Hz at their mean, and a new track gets 2 pi dt f. The first
// frame at time 0 keeps the single-precision time exact to 1e-9 relative: 1e-5 rad.
TEST_F(PhaseManagementTest, ContinuationAdvancesTracksByTheirMeanFrequency) {
    Configure(DSP::EPhaseGeneration::eContinuation);
    Run(SinePeaks({440.f, 880.f}, {0, 1}), 0.0);
    DSP::Frame frame;
    frame.SetCenterTime(float(kHopSeconds));
    frame.GetFundamental().AddElem(220.f, 0.f);
    frame.GetSpectralPeakArray() = SinePeaks({440.f, 900.f, 660.f}, {0, 1, 2});
    phases.Do(frame);
    EXPECT_EQ(phases.GetCurrentPitchControl().GetLastValue(), 220.f);
    const DSP::SpectralPeakArray& second = frame.GetSpectralPeakArray();
    EXPECT_NEAR(second.GetPhase(0), Wrapped(kTwoPi * 440.0 * 256.0 / 44100.0), 1e-5);
    EXPECT_NEAR(second.GetPhase(1), Wrapped(kTwoPi * 890.0 * kHopSeconds), 1e-5);
    EXPECT_NEAR(second.GetPhase(2), Wrapped(kTwoPi * 660.0 * kHopSeconds), 1e-5);
    phases.Init(); // forgets the previous frame and the time
    EXPECT_NEAR(Run(SinePeaks({440.f}, {0}), kHopSeconds), Wrapped(kTwoPi * 440.0 * kHopSeconds),
                1e-5);
}

// A NaN frequency gives phase 0 and is not kept; a NaN time counts as no time passed.
TEST_F(PhaseManagementTest, NonFiniteValuesDoNotReachTheNextFrame) {
    Configure(DSP::EPhaseGeneration::eContinuation);
    EXPECT_EQ(Run(SinePeaks({kNaN}, {0}), 0.0), 0.f);
    EXPECT_EQ(Run(SinePeaks({440.f}, {0}), kNaN), 0.f);
    EXPECT_NEAR(Run(SinePeaks({440.f}, {0}), kHopSeconds), Wrapped(kTwoPi * 440.0 * kHopSeconds),
                1e-5);
}

} // namespace
