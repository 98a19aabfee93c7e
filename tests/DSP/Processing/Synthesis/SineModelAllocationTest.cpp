#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/SpectralPeakArrayCopy.hpp"
#include "DSP/Processing/Analysis/SinTracking.hpp"
#include "DSP/Processing/SinePeaks.hpp"
#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

namespace {

std::vector<float> Ramp(int n) {
    std::vector<float> freqsHz;
    for (int i = 1; i <= n; ++i)
        freqsHz.push_back(100.f * float(i) + float(i % 7));
    return freqsHz;
}

// Tracking, phase management and sine synthesis of frames whose peak counts change from hop
// to hop (so every copy kept between frames changes size), with more peaks than tracks and
// harmonic, first inharmonic and later inharmonic frames: after configuration nothing touches
// the heap, given an output array and spectrum sized for their largest use.
TEST(SineModelAllocationTest, FramesAllocateNothingOnceConfigured) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    GlobalProcessInfo::SetSampleRate(44100.f);
    DSP::SinTrackingConfig trackingConfig;
    trackingConfig.SetIsHarmonic(true);
    DSP::SinTracking tracking(trackingConfig);
    DSP::PhaseManagement phases{DSP::PhaseManagementConfig()};
    phases.Init();
    DSP::SynthSineSpectrumConfig synthConfig;
    synthConfig.SetSpectrumSize(513);
    DSP::SynthSineSpectrum synth(synthConfig);
    const DSP::SpectralPeakArray many = SinePeaks(Ramp(DSP::PhaseManagement::kMaxPeaks)),
                                 few = SinePeaks(Ramp(50));
    DSP::Frame frame;
    frame.GetSpectralPeakArray().SetnMaxPeaks(DSP::PhaseManagement::kMaxPeaks);
    DSP::SpectrumConfig complexBins;
    complexBins.SetSize(513);
    complexBins.SetType(DSP::SpecTypeFlags({DSP::SpecTypeFlags::eComplex}));
    frame.GetSinusoidalSpec().Configure(complexBins);

    AllocationCounter counter;
    int hop = 0;
    for (float f0 : {100.f, 0.f, 0.f, 100.f, 0.f, 100.f}) {
        const DSP::SpectralPeakArray& in = hop % 2 ? few : many;
        tracking.GetFundFreqControl().DoControl(f0);
        tracking.Do(in, frame.GetSpectralPeakArray());
        frame.SetCenterTime(float(hop++) * 0.0058f);
        phases.Do(frame);
        DSP::CopyPeaks(in, frame.GetSpectralPeakArray());
        phases.Do(frame);
        synth.Do(frame.GetSpectralPeakArray(), frame.GetSinusoidalSpec(), 1.0);
    }
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
