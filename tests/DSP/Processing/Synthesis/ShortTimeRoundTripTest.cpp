#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace DSP;

namespace {

constexpr int kFrame = 1024;
constexpr int kHop = 256;

// The short-time chain as the engine runs it: analysis of 1024 samples, synthesis and
// overlap-add with a hop of 256.
struct Chain {
    Chain() {
        GlobalProcessInfo::SetSampleRate(44100.0f);
        SpectralAnalysisConfig a;
        a.SetWindowSize(kFrame + 1);
        a.SetHopSize(kHop);
        analysis.Configure(a);
        SpectralSynthesisConfig s;
        s.SetAnalWindowSize(kFrame + 1);
        s.SetHopSize(kHop);
        s.SetUseMainSpectrum(true);
        synthesis.Configure(s);
        OverlapAddConfig o;
        o.SetHopSize(kHop);
        overlapAdd.Configure(o);
        analysis.Start();
        synthesis.Start();
        overlapAdd.Start();
        SpectrumConfig sc;
        sc.SetSize(kFrame / 2 + 1);
        spectrum.Configure(sc);
        frame.SetSize(kFrame);
        block.SetSize(2 * kHop);
        hop.SetSize(kHop);
    }
    // One hop: frame = x[start .. start + 1023]; returns the 256 output samples.
    std::vector<float> run(const std::vector<float>& x, size_t start) {
        for (int i = 0; i < kFrame; ++i)
            frame.GetBuffer()[i] = x[start + size_t(i)];
        analysis.Do(frame, spectrum);
        synthesis.Do(spectrum, block);
        overlapAdd.Do(block, hop);
        return std::vector<float>(hop.GetBuffer().GetPtr(), hop.GetBuffer().GetPtr() + kHop);
    }

    SpectralAnalysis analysis;
    SpectralSynthesis synthesis;
    OverlapAdd overlapAdd;
    Spectrum spectrum;
    Audio frame, block, hop;
};

} // namespace

TEST(SpectralAnalysisConfig, KeepsItsSizesConsistent) {
    SpectralAnalysisConfig c;
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(c.SetWindowSize(1024), "Window size must be odd");
    EXPECT_EQ(c.GetWindowSize(), 1025);
    EXPECT_EQ(c.GetFFTSize(), 1024);
    EXPECT_EQ(c.GetHopSize(), 512);
    c.SetWindowSize(513);
    EXPECT_EQ(c.GetHopSize(), 256);
    EXPECT_EQ(c.GetFFTSize(), 512);
    EXPECT_EQ(c.GetCircularShiftConfig().GetAmount(), -256.0f);
    c.SetWindowSize(1025);
    c.SetZeroPadding(1);
    EXPECT_EQ(c.GetFFTSize(), 2048);
    EXPECT_EQ(c.GetFFTConfig().GetAudioSize(), 2048);
}

TEST(SpectralSynthesisConfig, KeepsItsSizesConsistent) {
    EXPECT_EQ(SpectralSynthesisConfig::PowerOfTwo(1024), 1024);
    EXPECT_EQ(SpectralSynthesisConfig::PowerOfTwo(1025), 2048);
    EXPECT_EQ(SpectralSynthesisConfig::PowerOfTwo(0), 1);
    QuietAssertions quiet;
    SpectralSynthesisConfig c;
    EXPECT_DSP_ASSERT(c.SetAnalWindowSize(1024), "Window size must be odd");
    EXPECT_DSP_ASSERT(c.SetSynthWindowSize(0), "Window size must be odd");
    EXPECT_EQ(c.GetAnalWindowSize(), 1025);
    c.SetHopSize(128);
    EXPECT_EQ(c.GetSynthWindowSize(), 257);
    EXPECT_EQ(c.GetHopSize(), 128);
    c.SetZeroPadding(1);
    EXPECT_EQ(c.GetIFFTSize(), 2048);
    EXPECT_EQ(c.GetCircularShiftConfig().GetAmount(), 512.0f);
}

TEST(SpectralSynthesis, WindowDividesOutTheAnalysisWindowUnderATriangle) {
    Chain chain;
    const Audio& w = chain.synthesis.GetSynthesisWindow();
    ASSERT_EQ(w.GetSize(), 2 * kHop);
    EXPECT_EQ(w.GetBuffer()[0], 0.0f);
    // The analysis window as the analysis normalizes it (sum 2), read at its centre.
    WindowGeneratorConfig wc;
    wc.SetType(EWindowType(EWindowType::eBlackmanHarris92));
    wc.SetSize(kFrame + 1);
    wc.SetNormalize(EWindowNormalize(EWindowNormalize::eAnalysis));
    WindowGenerator generator(wc);
    Audio analysisWindow;
    analysisWindow.SetSize(kFrame + 1);
    generator.Start();
    generator.Do(analysisWindow);
    const float centre = analysisWindow.GetBuffer()[kFrame / 2];
    // One division in single precision: within one rounding step.
    EXPECT_NEAR(w.GetBuffer()[kHop], 1.0f / centre, 1e-6f / centre);
    // Halfway up the triangle the window is half the inverse there.
    EXPECT_NEAR(w.GetBuffer()[kHop / 2], 0.5f / analysisWindow.GetBuffer()[kFrame / 2 - kHop / 2],
                1e-5f);
}

TEST(ShortTimeChain, LeavesASinusoidAtUnitGainOnceTwoBlocksOverlap) {
    std::vector<float> x(20 * kHop + kFrame);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 0.5f * float(std::sin(2.0 * M_PI * 1000.0 * double(i) / 44100.0)) +
               0.25f * float(std::cos(2.0 * M_PI * 3217.0 * double(i) / 44100.0));
    Chain chain;
    for (size_t hop = 0; hop < 20; ++hop) {
        const std::vector<float> out = chain.run(x, hop * kHop);
        if (hop == 0)
            continue; // only half of the first output hop has been added yet
        // Output hop j covers frame samples 256 .. 511 of frame j. The fast sine, cosine and
        // square root leave an error near 1e-4 of full scale.
        for (int i = 0; i < kHop; ++i)
            ASSERT_NEAR(out[size_t(i)], x[hop * kHop + kHop + size_t(i)], 2e-4f) << hop << " " << i;
    }
}

TEST(OverlapAdd, AddsTheKeptHalfToTheNewBlock) {
    OverlapAddConfig c;
    c.SetHopSize(2);
    OverlapAdd ola(c);
    Audio in, out;
    in.SetSize(4);
    out.SetSize(2);
    const float first[] = {1, 2, 3, 4}, second[] = {10, 20, 30, 40};
    for (int i = 0; i < 4; ++i)
        in.GetBuffer()[i] = first[i];
    ola.Do(in, out);
    EXPECT_EQ(out.GetBuffer()[0], 1.0f);
    EXPECT_EQ(out.GetBuffer()[1], 2.0f);
    for (int i = 0; i < 4; ++i)
        in.GetBuffer()[i] = second[i];
    ola.Do(in, out);
    EXPECT_EQ(out.GetBuffer()[0], 13.0f);
    EXPECT_EQ(out.GetBuffer()[1], 24.0f);
    in.SetSize(6); // larger than the configured blocks: refused, nothing written past them
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(ola.Do(in, out), "OverlapAdd::Do(): audio larger than the configured blocks");
}
