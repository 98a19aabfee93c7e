#include "DSP/Processing/Analysis/HLNAnalysis.hpp"
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
    // A NaN and two infinities in a voiced tone leave every output sample exactly as zeros
    // in their place would: the fundamental, tracks, phases and buffers saw zeros.
    std::vector<float> clean = HarmonicTone(40 * kHLNHop);
    std::vector<float> dirty = clean;
    for (std::size_t i : {std::size_t(3000), std::size_t(3001), std::size_t(5000)})
        clean[i] = 0.f;
    dirty[3000] = std::numeric_limits<float>::quiet_NaN();
    dirty[3001] = std::numeric_limits<float>::infinity();
    dirty[5000] = -std::numeric_limits<float>::infinity();
    HLNChain a, b;
    const std::vector<float> ya = a.Run(clean), yb = b.Run(dirty);
    ASSERT_EQ(ya.size(), yb.size());
    for (std::size_t i = 0; i < ya.size(); ++i)
        ASSERT_EQ(ya[i], yb[i]) << "sample " << i;
}

// The sinusoids' spectrum is subtracted bin by bin from the residual branch's: it keeps the
// residual branch's bin count.
TEST(HLNAnalysisConfig, KeepsTheSineSpectrumInStepAndRefusesEvenWindows) {
    QuietAssertions quiet;
    HLNAnalysisConfig config = HLNAnalysisConfig::EngineDefaults();
    EXPECT_EQ(config.GetSynthSineSpectrum().GetSpectrumSize(), 513);
    config.SetResWindowSize(2049);
    EXPECT_EQ(config.GetSynthSineSpectrum().GetSpectrumSize(), 1025);
    EXPECT_DSP_ASSERT(config.SetSinWindowSize(2048), "Window size must be odd");
    EXPECT_DSP_ASSERT(config.SetResWindowSize(1024), "Window size must be odd");
}

TEST(HLNAnalysisCore, StartingWithoutAnAudioSourceFails) {
    QuietAssertions quiet;
    UnattachedCore core;
    core.Configure(HLNAnalysisConfig::EngineDefaults());
    EXPECT_DSP_ASSERT(core.ConcreteStart(), "HLNAnalysisCore::ConcreteStart in port 'Input' "
                                            "needs an attached out port, to start");
}
