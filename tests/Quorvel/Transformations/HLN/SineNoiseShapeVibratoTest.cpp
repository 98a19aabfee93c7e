#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "Quorvel/Transformations/HLN/HLNSinusoidalGain.hpp"
#include "Quorvel/Transformations/HLN/HLNSpectralShapeShift.hpp"
#include "Quorvel/Transformations/HLN/HLNVibrato.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using DSP::EScale;

// A frame with n (at most 200) dB peaks at 100, 200, ... Hz falling by 3 dB each, and a residual of
// 513 bins.
DSP::Frame HarmonicFrame(int nPeaks, int residualScale = EScale::eLog) {
    DSP::Frame frame;
    DSP::SpectralPeakArray& peaks = frame.GetSpectralPeakArray();
    peaks.SetScale(EScale(EScale::eLog));
    peaks.SetnMaxPeaks(200); // the analysis sizes every frame's peaks alike
    peaks.SetnPeaks(nPeaks);
    for (int i = 0; i < nPeaks; ++i) {
        peaks.SetFreq(i, 100.f * (i + 1));
        peaks.SetMag(i, -10.f - 3.f * i);
        peaks.SetPhase(i, 0.5f * i);
        peaks.SetIndex(i, i + 7);
    }
    DSP::Spectrum& residual = frame.GetResidualSpec();
    residual.SetSize(513);
    residual.SetScale(EScale(residualScale));
    for (int k = 0; k < 513; ++k)
        residual.GetMagBuffer()[k] = residualScale == EScale::eLog ? -40.f - 0.1f * k : 0.01f * k;
    return frame;
}

class HarmonicEffectsTest : public ::testing::Test {
protected:
    HarmonicEffectsTest() { GlobalProcessInfo::SetSampleRate(44100.f); }
    ~HarmonicEffectsTest() override { GlobalProcessInfo::SetSampleRate(mSavedRate); }
    float mSavedRate = GlobalProcessInfo::GetSampleRate();
};

TEST_F(HarmonicEffectsTest, SineNoiseGainsThePeaksAndTheResidual) {
    DSP::HLNSinusoidalGain gain;
    gain.Start();
    const DSP::Frame in = HarmonicFrame(5);
    DSP::Frame out;
    ASSERT_TRUE(gain.Do(in, out));
    EXPECT_EQ(out.GetSpectralPeakArray().GetMag(2), in.GetSpectralPeakArray().GetMag(2) - 90.f);
    EXPECT_EQ(out.GetSpectralPeakArray().GetIndex(2), 9);

    gain.mAmount = 0.f;
    ASSERT_TRUE(gain.Do(in, out));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(out.GetSpectralPeakArray().GetMag(i), in.GetSpectralPeakArray().GetMag(i));
        EXPECT_EQ(out.GetSpectralPeakArray().GetFreq(i), in.GetSpectralPeakArray().GetFreq(i));
    }
    for (int k = 0; k < 513; ++k)
        ASSERT_EQ(out.GetResMag(k), in.GetResMag(k)) << k;

    const DSP::Frame linear = HarmonicFrame(5, EScale::eLinear);
    gain.GetResidualControl().DoControl(-6.f);
    ASSERT_TRUE(gain.Do(linear, out));
    const float factor = DSP_pow(10.f, -0.3f);
    EXPECT_NEAR(factor, 0.501f, 1e-3f);
    for (int k = 0; k < 513; ++k)
        ASSERT_EQ(out.GetResMag(k), linear.GetResMag(k) * factor) << k;
}

TEST_F(HarmonicEffectsTest, ShapeShiftMovesTheEnvelopeUpAndKeepsFrequencies) {
    DSP::HLNSpectralShapeShift shift;
    shift.Start();
    const DSP::Frame few = HarmonicFrame(3);
    DSP::Frame out;
    EXPECT_FALSE(shift.Do(few, out));
    EXPECT_EQ(out.GetSpectralPeakArray().GetnPeaks(), 3);
    EXPECT_EQ(out.GetSpectralPeakArray().GetMag(1), few.GetSpectralPeakArray().GetMag(1));

    // 100 Hz up: the peak at f takes the envelope's value at f - 100, exactly the previous
    // peak's magnitude, and the first peak takes the point at 0 Hz (3 dB under it).
    shift.mAmount = 100.f;
    const DSP::Frame in = HarmonicFrame(8);
    ASSERT_TRUE(shift.Do(in, out));
    const DSP::SpectralPeakArray& peaksIn = in.GetSpectralPeakArray();
    const DSP::SpectralPeakArray& peaksOut = out.GetSpectralPeakArray();
    EXPECT_EQ(peaksOut.GetMag(0), peaksIn.GetMag(0) - 3.f);
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(peaksOut.GetMag(i), peaksIn.GetMag(i - 1));
        EXPECT_EQ(peaksOut.GetFreq(i), peaksIn.GetFreq(i));
        EXPECT_EQ(peaksOut.GetPhase(i), peaksIn.GetPhase(i));
    }
    // A shift that is not a number counts as none.
    shift.mAmount = NAN;
    ASSERT_TRUE(shift.Do(in, out));
    EXPECT_EQ(peaksOut.GetMag(4), peaksIn.GetMag(4));
}

// The vibrato's frequency ratio over frames, for the given controls.
std::vector<float> VibratoRatios(float freqHz, float width, int frames) {
    DSP::HLNVibrato vibrato;
    vibrato.Start();
    vibrato.GetInControls().Get("Freq").DoControl(freqHz);
    vibrato.GetInControls().Get("Width").DoControl(width);
    const DSP::Frame in = HarmonicFrame(10);
    DSP::Frame out;
    std::vector<float> ratios;
    for (int t = 0; t < frames; ++t) {
        vibrato.Do(in, out);
        const auto& peaks = out.GetSpectralPeakArray();
        for (int i = 0; i < 10; ++i) {
            const float ratio = peaks.GetFreq(i) / in.GetSpectralPeakArray().GetFreq(i);
            EXPECT_NEAR(ratio, peaks.GetFreq(0) / 100.f, 1e-6f); // one factor for all peaks
            EXPECT_GE(peaks.GetFreq(i), 0.f);
        }
        ratios.push_back(peaks.GetFreq(0) / 100.f);
    }
    return ratios;
}

TEST_F(HarmonicEffectsTest, VibratoStaysWithinItsWidthAndRunsAtItsRate) {
    const std::vector<float> ratios = VibratoRatios(5.f, 0.05f, 2000);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    EXPECT_GE(*low, 0.95f - 1e-6f);
    EXPECT_LE(*high, 1.05f + 1e-6f);
    EXPECT_GT(*high, 1.049f);
    // Upward crossings of 1, interpolated between frames 256 samples apart.
    std::vector<double> crossings;
    for (size_t t = 1; t < ratios.size(); ++t)
        if (ratios[t - 1] < 1.f && ratios[t] >= 1.f)
            crossings.push_back(t - 1 + (1.0 - ratios[t - 1]) / (ratios[t] - ratios[t - 1]));
    ASSERT_GE(crossings.size(), 50u);
    const double seconds = (crossings.back() - crossings.front()) * 256.0 / 44100.0;
    EXPECT_NEAR((crossings.size() - 1) / seconds, 5.0, 0.01);

    for (float ratio : VibratoRatios(5.f, 0.f, 50))
        ASSERT_EQ(ratio, 1.f);
    for (float ratio : VibratoRatios(3.f, 1.5f, 100)) // beyond the program's range
        ASSERT_GE(ratio, 0.f);
}

TEST_F(HarmonicEffectsTest, EffectsAtEngineSizesAllocateNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    DSP::HLNSinusoidalGain gain;
    DSP::HLNSpectralShapeShift shift;
    DSP::HLNVibrato vibrato;
    DSP::FrameTransformation* effects[] = {&gain, &shift, &vibrato};
    const DSP::Frame full = HarmonicFrame(200), few = HarmonicFrame(40);
    DSP::Frame out;
    for (DSP::FrameTransformation* effect : effects) {
        effect->Start();
        effect->Do(full, out);
        AllocationCounter counter;
        effect->Do(few, out);
        effect->Do(full, out);
        EXPECT_EQ(counter.Calls(), 0) << effect->GetDSPClassName();
    }
}

} // namespace
