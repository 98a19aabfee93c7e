// The spectral-envelope tools of the harmonic path: SpectralEnvelopeExtract,
// SpectralEnvelopeApply and FDCombFilter. Their allocation behaviour is checked with the
// harmonic effects that use them.
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"
#include "DSP/Processing/Transformations/FDCombFilter.hpp"
#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using DSP::EScale;

// The fast sine and cosine are accurate to about 1e-6, the fast square root and arc tangent
// to a few 1e-5.
constexpr float kFastTol = 1e-4f;

// n peaks from firstHz, stepHz apart, at -20, -25, -30 ... dB.
DSP::SpectralPeakArray DbPeaks(int n, float firstHz, float stepHz) {
    DSP::SpectralPeakArray peaks;
    peaks.SetScale(EScale(EScale::eLog));
    peaks.SetnPeaks(n);
    for (int i = 0; i < n; ++i) {
        peaks.SetFreq(i, firstHz + stepHz * i);
        peaks.SetMag(i, -20.f - 5.f * i);
    }
    return peaks;
}

DSP::Spectrum Flat(int bins, float mag) {
    DSP::Spectrum s;
    s.SetSize(bins);
    for (int k = 0; k < bins; ++k)
        s.GetMagBuffer()[k] = mag;
    return s;
}

class SpectralEnvelopeTest : public ::testing::Test {
protected:
    SpectralEnvelopeTest() { GlobalProcessInfo::SetSampleRate(800.f); } // 5 bins: 0 ... 400 Hz
    ~SpectralEnvelopeTest() override { GlobalProcessInfo::SetSampleRate(mSavedRate); }

    float mSavedRate = GlobalProcessInfo::GetSampleRate();
    const DSP::SpectralPeakArray mPeaks = DbPeaks(4, 100.f, 100.f); // -20 ... -35 dB
    DSP::SpectralEnvelopeExtract extract;
    DSP::Spectrum envelope;
};

TEST_F(SpectralEnvelopeTest, ExtractGivesFirstPointPeaksAndFallingExtensionOrRefuses) {
    ASSERT_TRUE(extract.Do(mPeaks, envelope));
    const auto& mag = envelope.GetMagBPF();
    const int n = mag.Size();
    EXPECT_EQ(envelope.GetSize(), n);
    const int index[] = {0, 1, 4, 5, 6};
    const float x[] = {0, 100, 400, 500, 600}, y[] = {-23, -20, -35, -38, -44};
    for (int j = 0; j < 5; ++j) {
        EXPECT_EQ(mag.GetXValue(index[j]), x[j]);
        EXPECT_EQ(mag.GetValueFromIndex(index[j]), y[j]);
    }
    // The extension stops at the first point at or below -200 dB; the spline is ready.
    EXPECT_LE(mag.GetValueFromIndex(n - 1), -200.f);
    EXPECT_GT(mag.GetValueFromIndex(n - 2), -200.f);
    EXPECT_FLOAT_EQ(mag.GetValue(300.f), -30.f);

    // Unusable peaks are refused and the points stay.
    const int before = envelope.GetMagBPF().Size();
    DSP::SpectralPeakArray repeated = mPeaks, notANumber = mPeaks;
    repeated.SetFreq(2, 200.f);
    notANumber.SetMag(1, NAN);
    for (const auto& peaks : {DbPeaks(3, 100.f, 100.f), repeated, notANumber}) {
        EXPECT_FALSE(extract.Do(peaks, envelope));
        EXPECT_EQ(envelope.GetMagBPF().Size(), before);
        EXPECT_EQ(envelope.GetMagBPF().GetValueFromIndex(0), -23.f);
    }
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(extract.Do(),
                      "SpectralEnvelopeExtract::Do(): Supervised mode not implemented");
}

TEST_F(SpectralEnvelopeTest, ApplyGivesPeaksAndBinsTheEnvelopeAtTheirFrequencies) {
    extract.Do(mPeaks, envelope);
    DSP::SpectralEnvelopeApply apply;
    const DSP::SpectralPeakArray in = DbPeaks(3, 150.f, 150.f);
    DSP::SpectralPeakArray out;
    ASSERT_TRUE(apply.Do(in, envelope, out));
    EXPECT_EQ(out.GetMag(1), -30.f); // the envelope point at 300 Hz
    EXPECT_EQ(out.GetFreq(2), 450.f);

    DSP::Spectrum bins = Flat(5, 0.f), binsOut;
    bins.SetScale(EScale(EScale::eLog));
    ASSERT_TRUE(apply.Do(bins, envelope, binsOut));
    const float expected[5] = {-23.f, -20.f, -25.f, -30.f, -35.f};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(binsOut.GetMagBuffer()[k], expected[k]) << k;

    QuietAssertions quiet;
    DSP::SpectralPeakArray linear = in;
    linear.SetScale(EScale(EScale::eLinear));
    EXPECT_DSP_ASSERT(apply.Do(linear, envelope, out),
                      "You are trying to apply an envelope that has a different scale");
    EXPECT_DSP_ASSERT(apply.Do(), "SpectralEnvelopeApply::Do(): Supervised mode not implemented");
}

TEST_F(SpectralEnvelopeTest, CombResponseAtDcQuarterAndHalfPeriod) {
    DSP::FDCombFilter comb;
    const DSP::Spectrum in = Flat(513, 1.f);
    DSP::Spectrum out = Flat(513, 9.f);
    EXPECT_FALSE(comb.Do(in, out)); // "Frequency" starts at 0
    EXPECT_EQ(out.GetMagBuffer()[0], 9.f);
    // θ = k · 2π / (2 F N / sr) reaches π at bin F N / sr = 4.
    comb.GetFrequencyControl().DoControl(4.f * 800.f / 513.f);
    ASSERT_TRUE(comb.Do(in, out));
    EXPECT_NEAR(out.GetMagBuffer()[0], 1.118034f, kFastTol); // H = (1, 0.5)
    EXPECT_NEAR(out.GetMagBuffer()[2], 0.5f, kFastTol);      // θ = π / 2: H = (0.5, 0)
    EXPECT_NEAR(out.GetMagBuffer()[4], 0.5f, kFastTol);      // θ = π: H = (0, 0.5)
    EXPECT_NEAR(out.GetPhaseBuffer()[4], M_PI / 2, kFastTol);

    // A dB spectrum filtered in place reads every bin before overwriting it and comes back in
    // dB: the same bits as its linear form filtered apart, converted afterwards.
    DSP::Spectrum db = Flat(513, 0.5f), linear;
    db.ToDB();
    (linear = db).ToLinear();
    ASSERT_TRUE(comb.Do(db, db) && comb.Do(DSP::Spectrum(linear), linear));
    linear.ToDB();
    for (int k = 0; k < 513; k += 7)
        ASSERT_EQ(db.GetMagBuffer()[k], linear.GetMagBuffer()[k]) << k;
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(comb.Do(), "FDCombFilter::Do(): Supervised mode not implemented");
}

} // namespace
