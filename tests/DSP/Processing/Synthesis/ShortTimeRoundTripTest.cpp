#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
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
        SpectralSynthesisConfig s;
        s.SetAnalWindowSize(kFrame + 1);
        s.SetHopSize(kHop);
        OverlapAddConfig o;
        o.SetHopSize(kHop);
        analysis.Configure(a);
        synthesis.Configure(s);
        overlapAdd.Configure(o);
        spectrum.SetSize(kFrame / 2 + 1);
        frame.SetSize(kFrame);
        block.SetSize(2 * kHop);
        hop.SetSize(kHop);
    }
    // One hop: frame = x[start .. start + 1023]; returns the 256 output samples.
    const float* run(const std::vector<float>& x, size_t start) {
        for (int i = 0; i < kFrame; ++i)
            frame.GetBuffer()[i] = x[start + size_t(i)];
        analysis.Do(frame, spectrum);
        synthesis.Do(spectrum, block);
        overlapAdd.Do(block, hop);
        return hop.GetBuffer().GetPtr();
    }

    SpectralAnalysis analysis;
    SpectralSynthesis synthesis;
    OverlapAdd overlapAdd;
    Spectrum spectrum;
    Audio frame, block, hop;
};

} // namespace

TEST(ShortTimeConfigs, KeepTheirSizesConsistentAndRefuseEvenWindows) {
    QuietAssertions quiet;
    SpectralAnalysisConfig a;
    EXPECT_DSP_ASSERT(a.SetWindowSize(1024), "Window size must be odd");
    EXPECT_EQ(a.GetWindowSize(), 1025);
    a.SetWindowSize(513);
    EXPECT_EQ(a.GetHopSize(), 256);
    EXPECT_EQ(a.GetCircularShiftConfig().GetAmount(), -256.0f);
    a.SetWindowSize(1025);
    a.SetZeroPadding(1);
    EXPECT_EQ(a.GetFFTConfig().GetAudioSize(), 2048);

    SpectralSynthesisConfig s;
    EXPECT_DSP_ASSERT(s.SetAnalWindowSize(1024), "Window size must be odd");
    EXPECT_DSP_ASSERT(s.SetSynthWindowSize(0), "Window size must be odd");
    EXPECT_EQ(s.GetAnalWindowSize(), 1025);
    s.SetHopSize(128);
    EXPECT_EQ(s.GetSynthWindowSize(), 257);
    s.SetZeroPadding(1);
    EXPECT_EQ(s.GetIFFTSize(), 2048);
    EXPECT_EQ(s.GetCircularShiftConfig().GetAmount(), 512.0f);
    EXPECT_EQ(SpectralSynthesisConfig::PowerOfTwo(1025), 2048);
    EXPECT_EQ(SpectralSynthesisConfig::PowerOfTwo(0), 1);
}

TEST(ShortTimeChain, LeavesASinusoidAtUnitGainOnceTwoBlocksOverlap) {
    std::vector<float> x(20 * kHop + kFrame);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = 0.5f * float(std::sin(2.0 * M_PI * 1000.0 * double(i) / 44100.0)) +
               0.25f * float(std::cos(2.0 * M_PI * 3217.0 * double(i) / 44100.0));
    Chain chain;
    chain.run(x, 0); // only half of the first output hop has been added yet
    for (size_t hop = 1; hop < 20; ++hop) {
        const float* out = chain.run(x, hop * kHop);
        // Output hop j covers frame samples 256 .. 511 of frame j. The fast sine, cosine and
        // square root leave an error near 1e-4 of full scale.
        for (int i = 0; i < kHop; ++i)
            ASSERT_NEAR(out[i], x[hop * kHop + kHop + size_t(i)], 2e-4f) << hop << " " << i;
    }
}

TEST(OverlapAdd, AddsTheKeptHalfToTheNewBlockAndRefusesLargerBlocks) {
    OverlapAddConfig c;
    c.SetHopSize(2);
    OverlapAdd ola(c);
    Audio in, out;
    in.SetSize(4);
    out.SetSize(2);
    for (auto [block, expected] :
         {std::pair<std::vector<float>, std::vector<float>>{{1, 2, 3, 4}, {1, 2}},
          {{10, 20, 30, 40}, {13, 24}}}) {
        for (int i = 0; i < 4; ++i)
            in.GetBuffer()[i] = block[size_t(i)];
        ola.Do(in, out);
        EXPECT_EQ(std::vector<float>(out.GetBuffer().GetPtr(), out.GetBuffer().GetPtr() + 2),
                  expected);
    }
    in.SetSize(6); // nothing may be written past the configured blocks
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(ola.Do(in, out), "OverlapAdd::Do(): audio larger than the configured blocks");
}
