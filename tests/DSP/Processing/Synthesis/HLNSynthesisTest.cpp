#include "DSP/Processing/Synthesis/HLNSynthesis.hpp"
#include "DSP/Processing/HLNChainHarness.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace DSP;
using namespace SignalMeasures;

namespace {

// One frame carrying a single 440 Hz track, as the analysis leaves frames.
Frame ToneFrame(float centerTime) {
    Frame frame;
    frame.SetCenterTime(centerTime);
    SpectralPeakArray& peaks = frame.GetSpectralPeakArray();
    peaks.SetScale(EScale(EScale::eLog));
    peaks.SetnPeaks(1);
    peaks.SetFreq(0, 440.f);
    peaks.SetMag(0, -20.f);
    peaks.ResetIndices();
    frame.GetResidualSpec().SetSize(513);
    frame.GetResidualSpec().SetSpectralRange(kHLNRate / 2);
    return frame;
}

} // namespace

TEST(HLNSynthesis, QuietNoiseIsItsResidualAndComesBackDelayedByTheChainLatency) {
    // No bin of -74 dBFS noise reaches the -80 dB peak threshold: the frames have no peaks,
    // the sinusoids are silent and the output is the residual path's, which rebuilds its
    // input up to the fast trigonometry of the subtraction and the addition: about 45 dB.
    const std::vector<float> x = GaussianNoise(200 * kHLNHop, 2e-4f, 3);
    HLNChain chain;
    std::vector<float> y;
    for (std::size_t start = 0; start < x.size() + kHLNChainLatencySamples; start += kHLNHop) {
        chain.Hop(x, start, y);
        const Frame& f = chain.frame;
        for (int i = 0; i < kHLNHop; ++i) {
            ASSERT_EQ(f.GetSinusoidalAudioFrame().GetBuffer()[i], 0.f);
            // Adding an all-zero spectrum: 1e-4 of samples of about 1e-3 at most.
            ASSERT_NEAR(f.GetSynthAudioFrame().GetBuffer()[i],
                        f.GetResidualAudioFrame().GetBuffer()[i], 1e-7f);
        }
    }
    EXPECT_GT(SnrDb(x, y, 4 * kHLNHop, x.size(), kHLNChainLatencySamples), 40.0);

    // An impulse (too weak for peaks) is the loudest output sample exactly one latency later.
    std::vector<float> impulse(40 * kHLNHop, 0.f);
    impulse[5000] = 0.01f;
    HLNChain impulseChain;
    const std::vector<float> out = impulseChain.Run(impulse, kHLNChainLatencySamples);
    const std::size_t loudest = Loudest(out);
    EXPECT_EQ(loudest, 5000u + kHLNChainLatencySamples);
    EXPECT_NEAR(out[loudest], 0.01f, 1e-4f);
}

TEST(HLNSynthesis, SteadyHarmonicToneKeepsItsFundamentalAndLevel) {
    const std::vector<float> x = HarmonicTone(200 * kHLNHop);
    HLNChain chain;
    int voiced = 0, frames = 0;
    const std::vector<float> y = chain.Run(x, 0, [&](const Frame& frame) {
        ++frames;
        voiced += frame.GetIsVoiced() ? 1 : 0;
    });
    EXPECT_GE(voiced, frames - 2) << "voiced once the window holds the tone";
    // Measured well after the onset (the first frames hold the tone's start).
    const std::size_t from = 40 * kHLNHop, to = y.size();
    EXPECT_NEAR(FundamentalHz(y, kHLNRate, from, to, 150, 260), 220.0, 0.5);
    EXPECT_NEAR(Db(Rms(y, from, to) / Rms(x, from, to)), 0.0, 0.5);
}

TEST(HLNSynthesis, TheSumSynthesizedAloneIsTheSameBitForBit) {
    // A voiced stretch, then noise.
    std::vector<float> x = HarmonicTone(100 * kHLNHop);
    const std::vector<float> noise = GaussianNoise(60 * kHLNHop, 0.05f, 5);
    x.insert(x.end(), noise.begin(), noise.end());
    HLNChain whole, sumOnly;
    sumOnly.synthesis.SetSynthesizesParts(false);
    EXPECT_EQ(sumOnly.Run(x, 0), whole.Run(x, 0));
    const Array<float>& part = sumOnly.frame.GetResidualAudioFrame().GetBuffer();
    for (int i = 0; i < part.Size(); ++i)
        ASSERT_EQ(part[i], 0.f) << "left as prepared";
}

TEST(HLNSynthesis, NegativeCentreTimesAndReadySpectraBypassPhaseBookkeeping) {
    GlobalProcessInfo::SetSampleRate(kHLNRate);
    GlobalProcessInfo::SetFrameSize(float(kHLNHop));
    HLNSynthesis a(HLNSynthesisConfig::EngineDefaults()), b(HLNSynthesisConfig::EngineDefaults());

    Frame early = ToneFrame(-0.001f);
    early.GetSynthAudioFrame().SetSize(kHLNHop);
    early.GetSynthAudioFrame().GetBuffer()[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(b.Do(early));
    EXPECT_TRUE(std::isnan(early.GetSynthAudioFrame().GetBuffer()[0])) << "left untouched";

    Frame first = ToneFrame(0.01f), firstCopy = ToneFrame(0.01f);
    EXPECT_TRUE(a.Do(first));
    EXPECT_TRUE(b.Do(firstCopy));

    // b alone synthesizes a frame whose sinusoidal spectrum is ready: a spectrum of its own.
    Frame ready = ToneFrame(0.02f);
    ready.SetIsSinusoidalSpectrumReady(true);
    ready.GetSinusoidalSpec().SetSize(513);
    ready.GetSinusoidalSpec().SetMag(20, 0.5f);
    EXPECT_TRUE(b.Do(ready));

    // The next frame from peaks continues from the first one in both: same time step, same
    // previous phases, hence the same new phase.
    Frame second = ToneFrame(0.03f), secondCopy = ToneFrame(0.03f);
    a.Do(second);
    b.Do(secondCopy);
    EXPECT_EQ(second.GetSpectralPeakArray().GetPhase(0),
              secondCopy.GetSpectralPeakArray().GetPhase(0));
    EXPECT_NE(second.GetSpectralPeakArray().GetPhase(0), first.GetSpectralPeakArray().GetPhase(0));
}

TEST(HLNSynthesisConfig, RefusesEvenWindowsAndFollowsTheAnalysis) {
    QuietAssertions quiet;
    HLNSynthesisConfig config;
    EXPECT_DSP_ASSERT(config.SetAnalWindowSize(1024), "Window size must be odd");
    EXPECT_DSP_ASSERT(config.SetSynthWindowSize(512), "Window size must be odd");
    EXPECT_EQ(config.GetAnalWindowSize(), 1025);
    EXPECT_EQ(config.GetSpectrumSize(), 513);
    EXPECT_EQ(config.GetSynthSineSpectrum().GetSpectrumSize(), 513);
}
