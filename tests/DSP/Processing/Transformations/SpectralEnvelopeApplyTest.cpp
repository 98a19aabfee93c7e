// SpectralEnvelopeApply and FDCombFilter: the two spectral-envelope tools of the harmonic path.
#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"
#include "DSP/Processing/Transformations/FDCombFilter.hpp"
#include "support/AllocationCounter.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using DSP::EScale;

// The fast sine and cosine are accurate to about 1e-6; the fast square root and arc tangent
// to a few 1e-5 relative.
constexpr float kFastTol = 1e-4f;

DSP::SpectralPeakArray DbPeaks(int n, float firstHz, float stepHz) {
    DSP::SpectralPeakArray peaks;
    peaks.SetScale(EScale(EScale::eLog));
    peaks.SetnPeaks(n);
    for (int i = 0; i < n; ++i) {
        peaks.SetFreq(i, firstHz + stepHz * i);
        peaks.SetMag(i, -20.f - 5.f * i);
        peaks.SetPhase(i, 0.25f * i);
    }
    return peaks;
}

DSP::Spectrum FlatSpectrum(int bins, float mag, int scale = EScale::eLinear) {
    DSP::Spectrum s;
    s.SetSize(bins);
    s.SetScale(EScale(scale));
    for (int k = 0; k < bins; ++k) {
        s.GetMagBuffer()[k] = mag;
        s.GetPhaseBuffer()[k] = 0.f;
    }
    return s;
}

class EnvelopeToolsTest : public ::testing::Test {
protected:
    EnvelopeToolsTest() {
        GlobalProcessInfo::SetSampleRate(800.f); // spectral range 400 Hz: 100 Hz per bin of 5
        extract.Do(DbPeaks(4, 100.f, 100.f), envelope);
    }
    ~EnvelopeToolsTest() override { GlobalProcessInfo::SetSampleRate(mSavedRate); }

    float mSavedRate = GlobalProcessInfo::GetSampleRate();
    DSP::SpectralEnvelopeExtract extract;
    DSP::SpectralEnvelopeApply apply;
    DSP::Spectrum envelope;
};

TEST_F(EnvelopeToolsTest, PeaksTakeTheEnvelopeAtTheirFrequencies) {
    DSP::SpectralPeakArray in = DbPeaks(3, 150.f, 100.f);
    DSP::SpectralPeakArray out;
    out.SetScale(EScale(EScale::eLog));
    out.SetnPeaks(3);
    out.SetBinPos(1, 7.f);
    in.SetFreq(2, 300.f);
    ASSERT_TRUE(apply.Do(in, envelope, out));
    EXPECT_EQ(out.GetnPeaks(), 3);
    EXPECT_EQ(out.GetMag(2), -30.f); // the envelope point at 300 Hz
    EXPECT_EQ(out.GetMag(0), envelope.GetMagBPF().GetValue(150.f));
    EXPECT_EQ(out.GetFreq(1), 250.f);
    EXPECT_EQ(out.GetPhase(1), 0.25f);
    EXPECT_EQ(out.GetBinPos(1), 7.f); // not written

    QuietAssertions quiet;
    DSP::SpectralPeakArray linear = in;
    linear.SetScale(EScale(EScale::eLinear));
    EXPECT_DSP_ASSERT(apply.Do(linear, envelope, out),
                      "You are trying to apply an envelope that has a different scale");
    EXPECT_EQ(out.GetScale().GetValue(), EScale::eLog);
    EXPECT_DSP_ASSERT(apply.Do(), "SpectralEnvelopeApply::Do(): Supervised mode not implemented");
}

TEST_F(EnvelopeToolsTest, SpectrumBinsTakeTheEnvelopeAtTheirFrequencies) {
    DSP::Spectrum in = FlatSpectrum(5, 0.f, EScale::eLog);
    in.GetPhaseBuffer()[3] = 1.5f;
    DSP::Spectrum out;
    ASSERT_TRUE(apply.Do(in, envelope, out));
    const float expected[5] = {-23.f, -20.f, -25.f, -30.f, -35.f};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(out.GetMagBuffer()[k], expected[k]) << k;
    EXPECT_EQ(out.GetPhaseBuffer()[3], 1.5f);
}

TEST_F(EnvelopeToolsTest, CombResponseAtDcAndHalfPeriod) {
    DSP::FDCombFilter comb;
    DSP::Spectrum in = FlatSpectrum(513, 1.f);
    DSP::Spectrum out = FlatSpectrum(513, 9.f);
    EXPECT_FALSE(comb.Do(in, out)); // "Frequency" starts at 0
    EXPECT_EQ(out.GetMagBuffer()[0], 9.f);
    // θ = k · 2π / (2 F N / sr) reaches π at bin F N / sr = 4.
    comb.GetFrequencyControl().DoControl(4.f * 800.f / 513.f);
    ASSERT_TRUE(comb.Do(in, out));
    EXPECT_NEAR(out.GetMagBuffer()[0], std::sqrt(1.25f), 1.118f * kFastTol); // H = (1, 0.5)
    EXPECT_NEAR(out.GetPhaseBuffer()[0], std::atan2(0.5f, 1.f), kFastTol);
    EXPECT_NEAR(out.GetMagBuffer()[2], 0.5f, kFastTol); // θ = π / 2: H = (0.5, 0)
    EXPECT_NEAR(out.GetPhaseBuffer()[2], 0.f, kFastTol);
    EXPECT_NEAR(out.GetMagBuffer()[4], 0.5f, kFastTol); // H = (0, 0.5)
    EXPECT_NEAR(out.GetPhaseBuffer()[4], M_PI / 2, kFastTol);

    // A dB input is read through its linear values; a dB output is written back in dB.
    DSP::Spectrum inDb = FlatSpectrum(513, 0.f, EScale::eLog);
    DSP::Spectrum outDb = FlatSpectrum(513, 0.f, EScale::eLog);
    ASSERT_TRUE(comb.Do(inDb, outDb));
    EXPECT_EQ(outDb.GetScale().GetValue(), EScale::eLog);
    EXPECT_NEAR(outDb.GetMagBuffer()[0], 20.f * std::log10(std::sqrt(1.25f)), 1e-3f);

    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(comb.Do(), "FDCombFilter::Do(): Supervised mode not implemented");
}

TEST_F(EnvelopeToolsTest, ApplyAndCombAtEngineSizesAllocateNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    const DSP::SpectralPeakArray in = DbPeaks(200, 50.f, 1.f);
    DSP::SpectralPeakArray out;
    const DSP::Spectrum spectrumIn = FlatSpectrum(513, -30.f, EScale::eLog);
    DSP::Spectrum spectrumOut, combOut = FlatSpectrum(513, 0.f);
    DSP::FDCombFilter comb;
    comb.GetFrequencyControl().DoControl(100.f);
    const auto hop = [&] {
        apply.Do(in, envelope, out);
        apply.Do(spectrumIn, envelope, spectrumOut);
        comb.Do(spectrumIn, combOut);
    };
    hop();
    AllocationCounter counter;
    hop();
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
