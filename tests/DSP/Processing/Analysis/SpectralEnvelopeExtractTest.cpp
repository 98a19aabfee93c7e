#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "support/AllocationCounter.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using DSP::EScale;

DSP::SpectralPeakArray Peaks(const std::vector<float>& freqsHz, const std::vector<float>& mags,
                             int scale = EScale::eLog) {
    DSP::SpectralPeakArray peaks;
    peaks.SetScale(EScale(scale));
    peaks.SetnPeaks(static_cast<int>(freqsHz.size()));
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        peaks.SetFreq(i, freqsHz[i]);
        peaks.SetMag(i, mags[i]);
        peaks.SetPhase(i, 0.1f * i);
    }
    return peaks;
}

const DSP::SpectralPeakArray kFourDbPeaks =
    Peaks({100.f, 200.f, 300.f, 400.f}, {-20.f, -25.f, -30.f, -35.f});

TEST(SpectralEnvelopeExtractTest, DbPeaksGiveFirstPointPeaksAndFallingExtension) {
    DSP::SpectralEnvelopeExtract extract;
    DSP::Spectrum envelope;
    ASSERT_TRUE(extract.Do(kFourDbPeaks, envelope));
    const auto& mag = envelope.GetMagBPF();
    EXPECT_EQ(envelope.GetScale().GetValue(), EScale::eLog);
    EXPECT_EQ(envelope.GetType(), DSP::SpecTypeFlags({DSP::SpecTypeFlags::eMagPhaseBPF}));
    EXPECT_EQ(mag.GetInterpolation().GetValue(), DSP::EInterpolation::eSpline);
    EXPECT_EQ(envelope.GetPhaseBPF().GetInterpolation().GetValue(), DSP::EInterpolation::eLinear);
    EXPECT_EQ(mag.GetXValue(0), 0.f);
    EXPECT_EQ(mag.GetValueFromIndex(0), -23.f);
    EXPECT_EQ(mag.GetXValue(4), 400.f);
    EXPECT_EQ(envelope.GetPhaseBPF().GetValueFromIndex(4), 0.3f);
    EXPECT_EQ(mag.GetXValue(5), 500.f);
    EXPECT_EQ(mag.GetValueFromIndex(5), -38.f);
    EXPECT_EQ(mag.GetXValue(6), 600.f);
    EXPECT_EQ(mag.GetValueFromIndex(6), -44.f);
    // The extension stops at the first point at or below -200 dB.
    const int n = mag.Size();
    EXPECT_EQ(envelope.GetSize(), n);
    EXPECT_EQ(envelope.GetPhaseBPF().Size(), n);
    EXPECT_LE(mag.GetValueFromIndex(n - 1), -200.f);
    EXPECT_GT(mag.GetValueFromIndex(n - 2), -200.f);
    EXPECT_EQ(envelope.GetPhaseBPF().GetValueFromIndex(n - 1), 0.f);
    // The spline table is ready: the curve passes through the peaks.
    EXPECT_FLOAT_EQ(mag.GetValue(300.f), -30.f);

    // A smaller maximum cuts the extension (and the peaks: at most M - 1 of them).
    DSP::SpectralEnvelopeExtractConfig config;
    config.SetMaxPoints(7);
    DSP::SpectralEnvelopeExtract shortExtract(config);
    ASSERT_TRUE(shortExtract.Do(kFourDbPeaks, envelope));
    EXPECT_EQ(envelope.GetMagBPF().Size(), 7);
    EXPECT_EQ(envelope.GetMagBPF().GetValueFromIndex(6), -44.f);
}

TEST(SpectralEnvelopeExtractTest, LinearPeaksHalveTheFirstPointAndFallByFastPower) {
    DSP::SpectralEnvelopeExtract extract;
    DSP::Spectrum envelope;
    ASSERT_TRUE(extract.Do(
        Peaks({100.f, 200.f, 300.f, 400.f}, {0.8f, 0.4f, 0.2f, 0.1f}, EScale::eLinear), envelope));
    const auto& mag = envelope.GetMagBPF();
    EXPECT_EQ(mag.GetValueFromIndex(0), 0.4f);
    EXPECT_EQ(mag.GetValueFromIndex(5), 0.1f * DSP_pow(0.06f, 0.25f));
    EXPECT_LE(mag.GetValueFromIndex(mag.Size() - 1), 1e-10f);
    EXPECT_GT(mag.GetValueFromIndex(mag.Size() - 2), 1e-10f);
}

TEST(SpectralEnvelopeExtractTest, UnusablePeaksReturnFalseAndKeepThePoints) {
    DSP::SpectralEnvelopeExtract extract;
    DSP::Spectrum envelope;
    ASSERT_TRUE(extract.Do(kFourDbPeaks, envelope));
    const int before = envelope.GetMagBPF().Size();
    const std::vector<DSP::SpectralPeakArray> refused = {
        Peaks({100.f, 200.f, 300.f}, {-20.f, -25.f, -30.f}),
        Peaks({100.f, 200.f, 200.f, 400.f}, {-20.f, -25.f, -30.f, -35.f}),
        Peaks({100.f, 200.f, 300.f, 400.f}, {-20.f, NAN, -30.f, -35.f}),
        Peaks({0.f, 200.f, 300.f, 400.f}, {-20.f, -25.f, -30.f, -35.f})};
    for (const auto& peaks : refused) {
        envelope.SetType(DSP::SpecTypeFlags({DSP::SpecTypeFlags::eMagPhaseBPF}));
        EXPECT_FALSE(extract.Do(peaks, envelope));
        EXPECT_EQ(envelope.GetMagBPF().Size(), before);
        EXPECT_EQ(envelope.GetMagBPF().GetValueFromIndex(0), -23.f);
    }
}

TEST(SpectralEnvelopeExtractTest, MisuseFailsClearly) {
    QuietAssertions quiet;
    DSP::SpectralEnvelopeExtract extract;
    EXPECT_DSP_ASSERT(extract.Do(),
                      "SpectralEnvelopeExtract::Do(): Supervised mode not implemented");
    DSP::SpectralEnvelopeExtractConfig config;
    config.SetMaxPoints(2);
    EXPECT_FALSE(extract.Configure(config));
}

TEST(SpectralEnvelopeExtractTest, ExtractingAtEngineSizesAllocatesNothing) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    std::vector<float> freqs, mags;
    for (int i = 0; i < 200; ++i) {
        freqs.push_back(100.f * (i + 1));
        mags.push_back(-20.f - 0.1f * i);
    }
    const DSP::SpectralPeakArray many = Peaks(freqs, mags);
    DSP::SpectralEnvelopeExtract extract;
    DSP::Spectrum envelope;
    extract.PrepareEnvelope(envelope);
    AllocationCounter counter;
    extract.Do(many, envelope);
    extract.Do(kFourDbPeaks, envelope);
    extract.Do(many, envelope);
    EXPECT_EQ(counter.Calls(), 0);
}

} // namespace
