#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Processing/Transformations/FDCombFilter.hpp"
#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"
#include "Quorvel/Transformations/HLN/HLNSinusoidalGain.hpp"
#include "Quorvel/Transformations/HLN/HLNSpectralShapeShift.hpp"
#include "Quorvel/Transformations/HLN/HLNVibrato.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using DSP::EScale;

// n (at most 200) dB peaks at 100, 200, ... Hz falling by 3 dB each; a 513-bin residual.
DSP::Frame HarmonicFrame(int nPeaks, int residualScale = EScale::eLog) {
    DSP::Frame frame;
    DSP::SpectralPeakArray& peaks = frame.GetSpectralPeakArray();
    peaks.SetScale(EScale(EScale::eLog));
    peaks.SetnMaxPeaks(200); // the analysis sizes every frame's peaks alike
    peaks.SetnPeaks(nPeaks);
    for (int i = 0; i < nPeaks; ++i) {
        peaks.SetFreq(i, 100.f * (i + 1));
        peaks.SetMag(i, -10.f - 3.f * i);
    }
    DSP::Spectrum& residual = frame.GetResidualSpec();
    residual.SetSize(513);
    residual.SetScale(EScale(residualScale));
    for (int k = 0; k < 513; ++k)
        residual.GetMagBuffer()[k] = residualScale == EScale::eLog ? -40.f - 0.1f * k : 0.01f * k;
    return frame;
}

std::vector<float> Values(const DSP::Array<float>& a) {
    return std::vector<float>(a.GetPtr(), a.GetPtr() + a.Size());
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
    const DSP::Frame in = HarmonicFrame(5), linear = HarmonicFrame(5, EScale::eLinear);
    DSP::Frame out;
    ASSERT_TRUE(gain.Do(in, out)); // -90 dB until the parameter arrives
    EXPECT_EQ(out.GetSpectralPeakArray().GetMag(2), in.GetSpectralPeakArray().GetMag(2) - 90.f);

    gain.mAmount = 0.f;
    ASSERT_TRUE(gain.Do(in, out));
    EXPECT_EQ(Values(out.GetSpectralPeakArray().GetMagBuffer()),
              Values(in.GetSpectralPeakArray().GetMagBuffer()));
    EXPECT_EQ(Values(out.GetResidualSpec().GetMagBuffer()),
              Values(in.GetResidualSpec().GetMagBuffer()));

    gain.GetResidualControl().DoControl(-6.f);
    ASSERT_TRUE(gain.Do(linear, out));
    for (int k = 0; k < 513; ++k)
        ASSERT_EQ(out.GetResMag(k), linear.GetResMag(k) * DSP_pow(10.f, -0.3f)) << k;
}

TEST_F(HarmonicEffectsTest, ShapeShiftMovesTheEnvelopeUpAndKeepsFrequencies) {
    DSP::HLNSpectralShapeShift shift;
    shift.Start();
    const DSP::Frame few = HarmonicFrame(3), in = HarmonicFrame(8);
    DSP::Frame out;
    EXPECT_FALSE(shift.Do(few, out));
    EXPECT_EQ(out.GetSpectralPeakArray().GetMag(1), few.GetSpectralPeakArray().GetMag(1));

    // 100 Hz up: the peak at f takes the envelope at f - 100, exactly the previous peak's
    // magnitude; the first peak takes the point at 0 Hz (3 dB under it).
    shift.mAmount = 100.f;
    ASSERT_TRUE(shift.Do(in, out));
    const DSP::SpectralPeakArray &peaksIn = in.GetSpectralPeakArray(),
                                 &peaksOut = out.GetSpectralPeakArray();
    EXPECT_EQ(peaksOut.GetMag(0), peaksIn.GetMag(0) - 3.f);
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(peaksOut.GetMag(i), peaksIn.GetMag(i - 1));
        EXPECT_EQ(peaksOut.GetFreq(i), peaksIn.GetFreq(i));
    }
    shift.mAmount = NAN; // counts as no shift
    ASSERT_TRUE(shift.Do(in, out));
    EXPECT_EQ(peaksOut.GetMag(4), peaksIn.GetMag(4));
}

// The vibrato's frequency ratio, frame by frame.
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
        ratios.push_back(out.GetSpectralPeakArray().GetFreq(9) / 1000.f);
    }
    return ratios;
}

TEST_F(HarmonicEffectsTest, VibratoStaysWithinItsWidthAndRunsAtItsRate) {
    const std::vector<float> ratios = VibratoRatios(5.f, 0.05f, 2000);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    EXPECT_GE(*low, 0.95f - 1e-6f);
    EXPECT_LE(*high, 1.05f + 1e-6f);
    EXPECT_GT(*high, 1.049f);
    // Upward crossings of 1 over 2000 hops of 256 samples (58 periods).
    int crossings = 0;
    for (size_t t = 1; t < ratios.size(); ++t)
        crossings += ratios[t - 1] < 1.f && ratios[t] >= 1.f;
    EXPECT_NEAR(crossings / (ratios.size() * 256.0 / 44100.0), 5.0, 0.1);

    for (float ratio : VibratoRatios(5.f, 0.f, 50))
        ASSERT_EQ(ratio, 1.f);
    for (float ratio : VibratoRatios(3.f, 1.5f, 100)) // beyond the program's range
        ASSERT_GE(ratio, 0.f);
}

// The shapeshifter also covers envelope extraction and application to peaks.
TEST_F(HarmonicEffectsTest, EffectsAndEnvelopeToolsAtEngineSizesAllocateNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    DSP::HLNSinusoidalGain gain;
    DSP::HLNSpectralShapeShift shift;
    DSP::HLNVibrato vibrato;
    const DSP::Frame full = HarmonicFrame(200), few = HarmonicFrame(40);
    DSP::Frame out;
    const auto allocations = [](const std::function<void()>& hop) {
        hop();
        AllocationCounter counter;
        hop();
        return counter.Calls();
    };
    DSP::FrameTransformation* effects[] = {&gain, &shift, &vibrato};
    for (DSP::FrameTransformation* effect : effects) {
        effect->Start();
        EXPECT_EQ(allocations([&] {
                      effect->Do(full, out);
                      effect->Do(few, out);
                  }),
                  0)
            << effect->GetDSPClassName();
    }
    DSP::SpectralEnvelopeExtract extract;
    DSP::SpectralEnvelopeApply apply;
    DSP::FDCombFilter comb;
    DSP::Spectrum envelope, applied, combed;
    extract.PrepareEnvelope(envelope);
    comb.GetFrequencyControl().DoControl(100.f);
    EXPECT_EQ(allocations([&] {
                  extract.Do(full.GetSpectralPeakArray(), envelope);
                  apply.Do(full.GetResidualSpec(), envelope, applied);
                  comb.Do(full.GetResidualSpec(), combed);
              }),
              0);
}

} // namespace
