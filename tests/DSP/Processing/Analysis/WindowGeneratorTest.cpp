#include "DSP/Processing/Analysis/WindowGenerator.hpp"

#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using DSP::Array;
using DSP::EWindowNormalize;
using DSP::EWindowType;
using DSP::WindowGenerator;
using DSP::WindowGeneratorConfig;

Array<float> Filled(int size, float value) {
    Array<float> a(size);
    for (int i = 0; i < size; ++i)
        a[i] = value;
    return a;
}

Array<float> Table(int type, int n) {
    Array<float> out(n);
    WindowGenerator::CreateTable(out, type, n);
    return out;
}

double Sum(const Array<float>& a) {
    double s = 0.0;
    for (int i = 0; i < a.Size(); ++i)
        s += a[i];
    return s;
}

WindowGeneratorConfig Config(int type, int size, int normalize, bool useTable = true) {
    WindowGeneratorConfig config;
    config.SetType(EWindowType(type));
    config.SetSize(size);
    config.SetNormalize(EWindowNormalize(normalize));
    config.SetUseTable(useTable);
    return config;
}

class WindowGeneratorTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

// Every type except the main lobe (13), the self-normalized sum (15) and the sine ramp (16) is
// computed for the first half and mirrored, so it is exactly symmetric.
TEST_F(WindowGeneratorTest, MirroredWindowsAreExactlySymmetric) {
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14}) {
        for (int n : {8, 9, 1024, 1025}) {
            const Array<float> w = Table(type, n);
            for (int i = 0; i < n / 2; ++i)
                ASSERT_EQ(w[i], w[n - 1 - i]) << "type " << type << " size " << n << " at " << i;
        }
    }
}

TEST_F(WindowGeneratorTest, OddLengthsReachTheirPeakAtTheCentreSample) {
    // Hamming: 0.54 + 0.46 * cos(pi); the fast cosine of pi is -1 within 1.2e-7, so the sum
    // is 1 within a float ulp.
    EXPECT_NEAR(Table(EWindowType::eHamming, 1025)[512], 1.0f, 1.2e-7f);
    EXPECT_NEAR(Table(EWindowType::eHamming, 9)[4], 1.0f, 1.2e-7f);
    EXPECT_EQ(Table(EWindowType::eTriangular, 1025)[512], 1.0f);
    EXPECT_EQ(Table(EWindowType::eTriangular, 9)[4], 1.0f);
    // Kaiser-Bessel: I0(a) / I0(a) with the fast square root of 1, which is exact.
    EXPECT_EQ(Table(EWindowType::eKaiserBessel25, 1025)[512], 1.0f);
    EXPECT_EQ(Table(EWindowType::eGaussian, 1025)[512], 7.0735531f);
    // The cosine sums peak at a0 + a1 + a2 + a3 = 1; the fast cosines of pi, 2 pi and 3 pi are
    // each within 1.2e-7 of +-1.
    for (int type : {7, 8, 9, 10})
        EXPECT_NEAR(Table(type, 1025)[512], 1.0f, 5e-7f) << "type " << type;
}

TEST_F(WindowGeneratorTest, KaiserBesselStartsAtReciprocalOfI0AndRisesToNearlyOne) {
    struct Case {
        int type;
        float alpha;
        float start;
    };
    // Start values 1 / I0(pi alpha) of the exact Bessel function: 0.0270 and 1.38e-4. The
    // series uses the fast power (relative error about 1e-5 per term), hence 1e-3 relative.
    for (const Case& c : {Case{EWindowType::eKaiserBessel17, 1.7f, 0.0270425f},
                          Case{EWindowType::eKaiserBessel35, 3.5f, 1.3778e-4f}}) {
        const Array<float> w = Table(c.type, 1024);
        EXPECT_NEAR(w[0], c.start, c.start * 1e-3f);
        EXPECT_NEAR(w[0] * WindowGenerator::BesselFunction(c.alpha * 3.1415927f), 1.0, 1e-6);
        for (int i = 1; i < 512; ++i)
            ASSERT_GT(w[i], w[i - 1]) << "alpha " << c.alpha << " at " << i;
        EXPECT_GT(w[511], 0.999f);
    }
}

TEST_F(WindowGeneratorTest, AuxiliaryFunctionsHaveTheirKnownValues) {
    EXPECT_EQ(WindowGenerator::BesselFunction(0.0f), 1.0);
    // I0(1) = 1.2660658777...; the fast power's error stays far below 1e-5 here.
    EXPECT_NEAR(WindowGenerator::BesselFunction(1.0f), 1.2660658777, 1e-5);
    EXPECT_EQ(WindowGenerator::Sinc(0.0f, 512), 512.0f);
    EXPECT_EQ(WindowGenerator::Sinc(0.0f, 7), 6.0f);
    // sin(256 x) / sin(x / 2) near zero tends to 512; the fast sine is within 1e-5 there.
    EXPECT_NEAR(WindowGenerator::Sinc(1e-4f, 512), 512.0f * std::sin(0.0256f) / 0.0256f, 0.05f);
}

TEST_F(WindowGeneratorTest, SpecialShapesHaveTheirDefiningValues) {
    // The main lobe is divided by its own centre value: exactly 1 there, lower at the ends.
    const Array<float> lobe = Table(EWindowType::eBlackmanHarris92TransMainLobe, 65);
    EXPECT_EQ(lobe[32], 1.0f);
    EXPECT_LT(lobe[0], 0.1f);
    EXPECT_LT(lobe[64], 0.1f);
    // The sine ramp ends at 1 + N sin(pi/2); the fast sine of pi/2 is within 1e-5 of 1.
    const Array<float> ramp = Table(EWindowType::eSine, 16);
    EXPECT_NEAR(ramp[15], 17.0f, 16 * 1e-5f);
    EXPECT_LT(ramp[0], ramp[15]);
    // The Blackman-Harris-like window scales itself so that its samples sum to 2; float
    // rounding of 1025 samples keeps the sum within 1e-5.
    EXPECT_NEAR(Sum(Table(EWindowType::eBlackmanHarrisLike, 1025)), 2.0, 1e-5);
    // The Gaussian bell at its first sample: x = (0 - 512.5) / 1024, computed in double.
    const double x = -512.5 / 1024.0;
    EXPECT_EQ(Table(EWindowType::eGaussian, 1025)[0],
              float(7.07355302630646 * std::exp(-x * x / 0.045)));
}

TEST_F(WindowGeneratorTest, OneSampleWindowsAreTheirCentreValue) {
    for (int type = 0; type <= 16; ++type) {
        const Array<float> w = Table(type, 1);
        EXPECT_TRUE(std::isfinite(w[0])) << "type " << type;
    }
    EXPECT_NEAR(Table(EWindowType::eHamming, 1)[0], 1.0f, 1.2e-7f);
    EXPECT_EQ(Table(EWindowType::eTriangular, 1)[0], 1.0f);
}

TEST_F(WindowGeneratorTest, UnknownTypeWritesNothing) {
    Array<float> out = Filled(8, -3.0f);
    WindowGenerator::CreateTable(out, 17, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], -3.0f);
}

TEST_F(WindowGeneratorTest, NormalizationsScaleEveryWindowAsDocumented) {
    // Samples are scaled in double and rounded once to float: the sum of 1025 of them is off
    // by at most 1025 half-ulps of the largest sample, about 2e-7 relative; 1e-6 leaves room.
    for (int type = 0; type <= 16; ++type) {
        WindowGenerator analysis(Config(type, 1025, EWindowNormalize::eAnalysis));
        Array<float> out(1025);
        analysis.Do(out);
        EXPECT_NEAR(Sum(out), 2.0, 2e-6) << "type " << type;

        WindowGenerator energy(Config(type, 1025, EWindowNormalize::eEnergy));
        energy.Do(out);
        EXPECT_NEAR(Sum(out) / 1025.0, 2.0, 2e-6) << "type " << type;

        WindowGenerator peak(Config(type, 1025, EWindowNormalize::eMax));
        peak.Do(out);
        EXPECT_EQ(*std::max_element(out.GetPtr(), out.GetPtr() + 1025), 1.0f) << "type " << type;
    }
}

TEST_F(WindowGeneratorTest, AllZeroWindowIsLeftAloneByNormalization) {
    WindowGenerator generator(Config(EWindowType::eHamming, 64, EWindowNormalize::eAnalysis));
    generator.GetSizeControl().DoControl(0.0f);
    Array<float> out = Filled(64, 5.0f);
    generator.Do(out);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(out[i], 0.0f);
}

TEST_F(WindowGeneratorTest, TableIsResampledToTheSizeControlAndPaddedWithZeros) {
    WindowGenerator generator(
        Config(EWindowType::eBlackmanHarris92, 1025, EWindowNormalize::eNone));
    const Array<float> table = Table(EWindowType::eBlackmanHarris92, 1025);
    EXPECT_EQ(generator.GetSizeControl().GetLastValue(), 1025.0f);

    Array<float> out = Filled(1025, -1.0f);
    generator.Do(out);
    for (int i = 0; i < 1025; ++i)
        ASSERT_EQ(out[i], table[i]) << i;

    // Half the configured size: every second table entry, then zeros to the buffer's end.
    generator.GetSizeControl().DoControl(512.5f);
    generator.Do(out);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(out[i], table[2 * i]) << i;
    for (int i = 512; i < 1025; ++i)
        ASSERT_EQ(out[i], 0.0f) << i;

    // The normalization then runs over the whole buffer, zeros included.
    WindowGenerator normalized(
        Config(EWindowType::eBlackmanHarris92, 1025, EWindowNormalize::eAnalysis));
    normalized.GetSizeControl().DoControl(512.5f);
    normalized.Do(out);
    EXPECT_NEAR(Sum(out), 2.0, 2e-6);
    EXPECT_EQ(out[700], 0.0f);
}

TEST_F(WindowGeneratorTest, GeneratingWithoutTableFollowsTheSizeControlToo) {
    WindowGenerator generator(
        Config(EWindowType::eHamming, 1025, EWindowNormalize::eNone, /*useTable=*/false));
    generator.GetSizeControl().DoControl(9.0f);
    Array<float> out = Filled(12, -1.0f);
    generator.Do(out);
    const Array<float> nine = Table(EWindowType::eHamming, 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(out[i], nine[i]);
    for (int i = 9; i < 12; ++i)
        EXPECT_EQ(out[i], 0.0f);
}

TEST_F(WindowGeneratorTest, AudioAndSpectrumFormsFillSamplesAndMagnitudes) {
    WindowGenerator generator(Config(EWindowType::eHamming, 33, EWindowNormalize::eAnalysis));
    DSP::Audio audio;
    audio.SetSize(33);
    EXPECT_TRUE(generator.Do(audio));
    EXPECT_NEAR(Sum(audio.GetBuffer()), 2.0, 1e-6);

    DSP::Spectrum spectrum;
    spectrum.SetSize(33);
    EXPECT_TRUE(generator.Do(spectrum));
    for (int i = 0; i < 33; ++i)
        EXPECT_EQ(spectrum.GetMagBuffer()[i], audio.GetBuffer()[i]);
}

TEST_F(WindowGeneratorTest, InvertedWindowIsReciprocalWithLastSampleZero) {
    WindowGeneratorConfig config = Config(EWindowType::eHamming, 9, EWindowNormalize::eNone);
    config.SetInvert(true);
    WindowGenerator generator(config);
    Array<float> out(9);
    generator.Do(out);
    const Array<float> w = Table(EWindowType::eHamming, 9);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], 1.0f / w[i]) << i;
    EXPECT_EQ(out[8], 0.0f);
}

TEST_F(WindowGeneratorTest, InvertingLeavesZeroEntriesAtTheirPreviousValues) {
    // The triangle starts and ends at 0: those entries keep what out held, except that the
    // last sample always ends as 0.
    const Array<float> w = Table(EWindowType::eTriangular, 9);
    Array<float> out = Filled(9, 42.0f);
    WindowGenerator::InvertWindow(w, out);
    EXPECT_EQ(out[0], 42.0f);
    EXPECT_EQ(out[8], 0.0f);
    EXPECT_EQ(out[4], 1.0f);
    EXPECT_EQ(out[1], 1.0f / w[1]);
    EXPECT_EQ(out[7], 1.0f / w[1]);

    Array<float> shorter(3);
    WindowGenerator::InvertWindow(w, shorter);
    EXPECT_EQ(shorter.Size(), 9);
}

TEST_F(WindowGeneratorTest, RefusedCallsLeaveTheBufferUnchanged) {
    WindowGenerator generator(Config(EWindowType::eHamming, 64, EWindowNormalize::eAnalysis));
    Array<float> out = Filled(32, 7.0f);
    EXPECT_DSP_ASSERT(generator.Do(out),
                      "WindowGenerator::CreateWindowFromTable:output array does not have a valid "
                      "size");
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(out[i], 7.0f);

    WindowGenerator direct(
        Config(EWindowType::eHamming, 64, EWindowNormalize::eAnalysis, /*useTable=*/false));
    EXPECT_DSP_ASSERT(direct.Do(out),
                      "WindowGenerator::Do:output array does not have a valid size");
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(out[i], 7.0f);

    WindowGenerator odd(Config(EWindowType::eHamming, 32, 7));
    EXPECT_DSP_ASSERT(odd.Do(out), "Unexpected normalization type");
    EXPECT_DSP_ASSERT(odd.NormalizeWindow(out), "Unexpected normalization type");
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(out[i], 7.0f);
}

TEST_F(WindowGeneratorTest, ConfigurationSetsTheSizeControlAndRefusesNegativeSizes) {
    WindowGenerator generator;
    EXPECT_STREQ(generator.GetDSPClassName(), "WindowGenerator");
    EXPECT_TRUE(generator.GetInControls().Has("Size"));
    EXPECT_TRUE(generator.Configure(WindowGeneratorConfig()));
    EXPECT_EQ(generator.GetSizeControl().GetLastValue(), 4097.0f);
    EXPECT_FALSE(generator.Configure(Config(EWindowType::eHamming, -4, EWindowNormalize::eNone)));
}

TEST_F(WindowGeneratorTest, PortDrivenGenerationFillsTheOutputWindow) {
    WindowGenerator generator(Config(EWindowType::eHamming, 33, EWindowNormalize::eAnalysis));
    generator.GetOutput().SetSize(33);
    generator.GetOutput().SetHop(33);
    DSP::AudioInPort sink("sink");
    sink.SetSize(33);
    sink.SetHop(33);
    generator.GetOutput().ConnectToIn(sink);
    EXPECT_TRUE(generator.Do());
    ASSERT_TRUE(sink.CanConsume());
    EXPECT_NEAR(Sum(sink.GetAudio().GetBuffer()), 2.0, 1e-6);
}

} // namespace
