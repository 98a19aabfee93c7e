#include "DSP/Processing/Analysis/HLNAnalysis.hpp"
#include "DSP/Processing/Analysis/SpectrumSubstracter2.hpp"
#include "DSP/Processing/HLNChainHarness.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <complex>
#include <limits>

using namespace DSP;

namespace {

// Residual minus residual branch, relative to the branch's largest magnitude: the
// subtraction of an empty sinusoidal spectrum goes through the fast sine, cosine, square root
// and arc tangent, whose relative errors are of the order of 1e-5.
float ResidualDeviation(const Frame& frame) {
    const Spectrum& branch = frame.GetSpectrum();
    const Spectrum& residual = frame.GetResidualSpec();
    float largest = 0.f, deviation = 0.f;
    for (int k = 0; k < branch.GetSize(); ++k) {
        const auto a = std::polar(branch.GetMag(k), branch.GetPhase(k));
        const auto b = std::polar(residual.GetMag(k), residual.GetPhase(k));
        largest = std::max(largest, std::abs(a));
        deviation = std::max(deviation, std::abs(a - b));
    }
    return largest > 0.f ? deviation / largest : deviation;
}

class UnattachedCore : public HLNAnalysisCore {
public:
    using HLNAnalysisCore::ConcreteStart;
};

} // namespace

TEST(HLNAnalysis, BelowThePeakThresholdFramesAreUnvoicedAndTheResidualIsTheBranch) {
    // Silence, and white noise at about -74 dBFS RMS: no bin of either branch reaches -80 dB.
    for (const float sigma : {0.f, 2e-4f}) {
        HLNChain chain;
        int frames = 0;
        chain.Run(GaussianNoise(40 * kHLNHop, sigma, 7), 0, [&](const Frame& frame) {
            ++frames;
            EXPECT_EQ(frame.GetSpectralPeakArray().GetnPeaks(), 0);
            EXPECT_EQ(frame.GetFundamental().GetnCandidates(), 0);
            EXPECT_FALSE(frame.GetIsVoiced());
            EXPECT_LT(ResidualDeviation(frame), 1e-4f);
            EXPECT_EQ(frame.GetResidualSpec().GetSize(), 513);
            EXPECT_EQ(frame.GetSinusoidalAnalSpectrum().GetSize(), 1025);
        });
        EXPECT_EQ(frames, 40 - 3) << "the first three hops fill the sinusoidal window";
    }
}

TEST(HLNAnalysis, FramesAreCentredAtTheMeasuredOffsetFromTheirHop) {
    // An impulse too weak to make peaks (-91 dB in the residual branch): the hop whose
    // spectra are real and positive in both branches has the impulse at its frame's centre.
    const std::size_t impulseAt = 10 * kHLNHop;
    std::vector<float> x(24 * kHLNHop, 0.f);
    x[impulseAt] = 0.01f;
    HLNChain chain;
    std::vector<long> centredHopStarts;
    chain.Run(x, 0, [&](const Frame& frame) {
        bool zeroPhase = true;
        for (const Spectrum* s : {&frame.GetSinusoidalAnalSpectrum(), &frame.GetSpectrum()})
            for (int k = 1; k < 40; ++k)
                zeroPhase = zeroPhase && s->GetMag(k) > 0.f && std::fabs(s->GetPhase(k)) < 1e-3f;
        if (zeroPhase)
            centredHopStarts.push_back(long(chain.hops - 1) * kHLNHop);
    });
    ASSERT_EQ(centredHopStarts.size(), 1u);
    EXPECT_EQ(centredHopStarts[0] + kHLNAnalysisCentreOffsetSamples, long(impulseAt));
}

TEST(HLNAnalysis, NonFiniteSamplesEnterAsZeros) {
    // A NaN and two infinities in a voiced tone leave every later frame and every output
    // sample exactly as zeros in their place would.
    std::vector<float> clean = HarmonicTone(40 * kHLNHop);
    std::vector<float> dirty = clean;
    for (std::size_t i : {std::size_t(3000), std::size_t(3001), std::size_t(5000)})
        clean[i] = 0.f;
    dirty[3000] = std::numeric_limits<float>::quiet_NaN();
    dirty[3001] = std::numeric_limits<float>::infinity();
    dirty[5000] = -std::numeric_limits<float>::infinity();
    std::vector<float> cleanF0, dirtyF0;
    HLNChain a, b;
    const std::vector<float> ya =
        a.Run(clean, 0, [&](const Frame& f) { cleanF0.push_back(f.GetFundamental().GetFreq(0)); });
    const std::vector<float> yb =
        b.Run(dirty, 0, [&](const Frame& f) { dirtyF0.push_back(f.GetFundamental().GetFreq(0)); });
    EXPECT_EQ(cleanF0, dirtyF0);
    ASSERT_EQ(ya.size(), yb.size());
    for (std::size_t i = 0; i < ya.size(); ++i)
        ASSERT_EQ(ya[i], yb[i]) << "sample " << i;
}

TEST(SpectrumSubstracter2, SubtractsComplexBinsAndGivesTheSecondInputMagnitudes) {
    // in2 arrives complex-only, as the sine-spectrum synthesis writes it.
    const int bins = 9;
    Spectrum in1, in2, out;
    in1.SetSize(bins);
    in2.SetType(SpecTypeFlags({SpecTypeFlags::eComplex}));
    in2.SetSize(bins);
    for (int k = 0; k < bins; ++k) {
        in1.SetMag(k, 0.5f + 0.1f * k);
        in1.SetPhase(k, -3.f + 0.7f * k);
        in2.GetComplexArray()[k] = ComplexTmpl<float>(0.3f - 0.05f * k, 0.02f * k);
    }
    SpectrumSubstracter2 subtracter;
    EXPECT_TRUE(subtracter.Do(in1, in2, out));
    ASSERT_EQ(out.GetSize(), bins);
    EXPECT_TRUE(out.GetType() == SpecTypeFlags({SpecTypeFlags::eMagPhase}));
    EXPECT_TRUE(in2.GetType().IsSetFlag(SpecTypeFlags::eMagPhase));
    for (int k = 0; k < bins; ++k) {
        const std::complex<float> expected =
            std::polar(in1.GetMag(k), in1.GetPhase(k)) -
            std::complex<float>(in2.GetComplexArray()[k].Real(), in2.GetComplexArray()[k].Imag());
        // Fast trigonometry and square root: errors of a few 1e-5 on unit-sized bins.
        EXPECT_NEAR(out.GetMag(k), std::abs(expected), 1e-4f) << k;
        EXPECT_NEAR(std::abs(std::polar(out.GetMag(k), out.GetPhase(k)) - expected), 0.f, 2e-4f)
            << k;
    }
}

TEST(HLNAnalysisConfig, HoldsTheDefaultAndEngineSettingsAndRefusesEvenWindows) {
    QuietAssertions quiet;
    HLNAnalysisConfig config;
    EXPECT_EQ(config.GetSinWindowType().GetValue(), EWindowType::eHamming);
    EXPECT_EQ(config.GetResWindowType().GetValue(), EWindowType::eBlackmanHarris92);
    EXPECT_EQ(config.GetPeakDetect().GetMagThreshold(), -60.f);
    EXPECT_EQ(config.GetSinWindowSize(), 2049);
    EXPECT_EQ(config.GetResWindowSize(), 1025);
    EXPECT_EQ(config.GetHopSize(), 256);
    EXPECT_EQ(config.GetResSpectralAnalysis().GetHopSize(), 256);
    EXPECT_EQ(config.GetSinZeroPadding(), 0);
    EXPECT_EQ(config.GetSynthSineSpectrum().GetSpectrumSize(), 513);
    config.SetResZeroPadding(1);
    EXPECT_EQ(config.GetSynthSineSpectrum().GetSpectrumSize(), 1025);

    const HLNAnalysisConfig engine = HLNAnalysisConfig::EngineDefaults();
    EXPECT_EQ(engine.GetSinWindowType().GetValue(), EWindowType::eBlackmanHarris92);
    EXPECT_EQ(engine.GetPeakDetect().GetMagThreshold(), -80.f);
    EXPECT_EQ(engine.GetPeakDetect().GetMaxFreq(), 6000.f);
    EXPECT_TRUE(engine.GetSinTracking().GetIsHarmonic());
    EXPECT_EQ(engine.GetFundFreqDetect().GetInitialFundFreq(), 1000.f);
    EXPECT_EQ(engine.GetFundFreqDetect().GetMinFundFreq(), 50.f);
    EXPECT_EQ(engine.GetFundFreqDetect().GetMaxFundFreq(), 6000.f);

    EXPECT_DSP_ASSERT(config.SetSinWindowSize(2048), "Window size must be odd");
    EXPECT_DSP_ASSERT(config.SetResWindowSize(1024), "Window size must be odd");
    EXPECT_EQ(config.GetSinWindowSize(), 2049);
}

TEST(HLNAnalysisCore, StartingWithoutAnAudioSourceFails) {
    QuietAssertions quiet;
    UnattachedCore core;
    core.Configure(HLNAnalysisConfig::EngineDefaults());
    EXPECT_DSP_ASSERT(core.ConcreteStart(), "HLNAnalysisCore::ConcreteStart in port 'Input' "
                                            "needs an attached out port, to start");
}
