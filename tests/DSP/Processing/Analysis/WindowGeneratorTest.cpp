#include "DSP/Processing/Analysis/WindowGenerator.hpp"

#include "DSP/Processing/SignalTestData.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using DSP::Array;
using DSP::EWindowNormalize;
using DSP::EWindowType;
using DSP::WindowGenerator;

Array<float> Table(int type, int n) {
    Array<float> out(n);
    WindowGenerator::CreateTable(out, type, n);
    return out;
}

DSP::WindowGeneratorConfig Config(int type, int size, int normalize, bool useTable = true) {
    DSP::WindowGeneratorConfig config;
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

constexpr int kTypes[] = {EWindowType::eBlackmanHarris92, EWindowType::eHamming,
                          EWindowType::eTriangular, EWindowType::eBlackmanHarris92TransMainLobe};

// Every type except the main lobe is computed for the first half and mirrored, so it is
// exactly symmetric.
TEST_F(WindowGeneratorTest, MirroredWindowsAreExactlySymmetric) {
    for (int type :
         {EWindowType::eBlackmanHarris92, EWindowType::eHamming, EWindowType::eTriangular}) {
        for (int n : {8, 9, 1024, 1025}) {
            const Array<float> w = Table(type, n);
            for (int i = 0; i < n / 2; ++i)
                ASSERT_EQ(w[i], w[n - 1 - i]) << "type " << type << " size " << n << " at " << i;
        }
    }
}

TEST_F(WindowGeneratorTest, SamplesHaveTheirDefiningValues) {
    for (int n : {1, 9, 1025}) {
        // 0.54 + 0.46 cos(pi): the fast cosine of pi is -1 within 1.2e-7.
        EXPECT_NEAR(Table(EWindowType::eHamming, n)[n / 2], 1.0f, 1.2e-7f) << n;
        EXPECT_EQ(Table(EWindowType::eTriangular, n)[n / 2], 1.0f) << n;
    }
    // The cosine sum peaks at a0 + a1 + a2 + a3 = 1; the fast cosines of pi, 2 pi and 3 pi are
    // each within 1.2e-7 of +-1.
    EXPECT_NEAR(Table(EWindowType::eBlackmanHarris92, 1025)[512], 1.0f, 5e-7f);
    // The main lobe is divided by its own centre value and falls off at its ends.
    const Array<float> lobe = Table(EWindowType::eBlackmanHarris92TransMainLobe, 65);
    EXPECT_EQ(lobe[32], 1.0f);
    EXPECT_LT(std::max(lobe[0], lobe[64]), 0.1f);
    // A single sample has no N - 1 to divide by: every type still gives a finite value.
    for (int type : kTypes)
        EXPECT_TRUE(std::isfinite(Table(type, 1)[0])) << "type " << type;
    // Other values write nothing.
    for (int type : {0, 9, 14}) {
        Array<float> untouched = ArrayOf(std::vector<float>(8, -3.0f));
        WindowGenerator::CreateTable(untouched, type, 8);
        EXPECT_EQ(Sum(untouched), -24.0) << "type " << type;
    }
}

TEST_F(WindowGeneratorTest, SincTakesItsLimitWhereTheDenominatorVanishes) {
    EXPECT_EQ(WindowGenerator::Sinc(0.0f, 512), 512.0f);
    EXPECT_EQ(WindowGenerator::Sinc(0.0f, 7), 6.0f);
    // sin(256 x) / sin(x / 2) near zero tends to 512; the fast sine is within 1e-5 there.
    EXPECT_NEAR(WindowGenerator::Sinc(1e-4f, 512), 512.0f * std::sin(0.0256f) / 0.0256f, 0.05f);
}

TEST_F(WindowGeneratorTest, NormalizationsScaleEveryWindowAsDocumented) {
    // Samples are scaled in double and rounded once to float: the sum of 1025 of them is off
    // by at most 1025 half-ulps of the largest sample, about 2e-7 relative; 2e-6 leaves room.
    for (int type : kTypes) {
        Array<float> out(1025);
        WindowGenerator(Config(type, 1025, EWindowNormalize::eAnalysis)).Do(out);
        EXPECT_NEAR(Sum(out), 2.0, 2e-6) << "type " << type;
        WindowGenerator(Config(type, 1025, EWindowNormalize::eEnergy)).Do(out);
        EXPECT_NEAR(Sum(out) / 1025.0, 2.0, 2e-6) << "type " << type;
        WindowGenerator(Config(type, 1025, EWindowNormalize::eMax)).Do(out);
        EXPECT_EQ(*std::max_element(out.GetPtr(), out.GetPtr() + 1025), 1.0f) << "type " << type;
    }
    // An all-zero window is left alone instead of being filled with infinities.
    WindowGenerator generator(Config(EWindowType::eHamming, 64, EWindowNormalize::eAnalysis));
    generator.GetSizeControl().DoControl(0.0f);
    Array<float> out = ArrayOf(std::vector<float>(64, 5.0f));
    generator.Do(out);
    EXPECT_EQ(*std::max_element(out.GetPtr(), out.GetPtr() + 64), 0.0f);
}

TEST_F(WindowGeneratorTest, SizeControlResamplesTheTableAndPadsWithZeros) {
    const std::vector<float> table = Samples(Table(EWindowType::eBlackmanHarris92, 1025));
    const std::vector<float> half = Samples(Table(EWindowType::eBlackmanHarris92, 512));
    for (bool useTable : {true, false}) {
        WindowGenerator generator(
            Config(EWindowType::eBlackmanHarris92, 1025, EWindowNormalize::eNone, useTable));
        Array<float> out = ArrayOf(std::vector<float>(1025, -1.0f));
        generator.Do(out);
        EXPECT_EQ(Samples(out), table);
        // Half the configured size: every second table entry (or the window generated at that
        // size), then zeros to the buffer's end.
        generator.GetSizeControl().DoControl(512.5f);
        generator.Do(out);
        std::vector<float> expected(1025, 0.0f);
        for (int i = 0; i < 512; ++i)
            expected[i] = useTable ? table[2 * i] : half[i];
        EXPECT_EQ(Samples(out), expected) << useTable;
    }
    // The normalization then runs over the whole buffer, zeros included.
    WindowGenerator normalized(
        Config(EWindowType::eBlackmanHarris92, 1025, EWindowNormalize::eAnalysis));
    normalized.GetSizeControl().DoControl(512.5f);
    DSP::Audio audio;
    audio.SetSize(1025);
    EXPECT_TRUE(normalized.Do(audio));
    EXPECT_NEAR(Sum(audio.GetBuffer()), 2.0, 2e-6); // as for the normalizations above
    EXPECT_EQ(audio.GetBuffer()[700], 0.0f);
}

TEST_F(WindowGeneratorTest, InversionTakesReciprocalsAndEndsWithZero) {
    DSP::WindowGeneratorConfig config = Config(EWindowType::eHamming, 9, EWindowNormalize::eNone);
    config.SetInvert(true);
    Array<float> out(9);
    WindowGenerator(config).Do(out);
    const Array<float> hamming = Table(EWindowType::eHamming, 9);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[i], 1.0f / hamming[i]) << i;
    EXPECT_EQ(out[8], 0.0f);

    // The triangle starts and ends at 0: those entries keep what out held, except that the
    // last sample always ends as 0; out takes the size of the window.
    const Array<float> w = Table(EWindowType::eTriangular, 9);
    Array<float> kept = ArrayOf(std::vector<float>(3, 42.0f));
    WindowGenerator::InvertWindow(w, kept);
    EXPECT_EQ(kept.Size(), 9);
    EXPECT_EQ(kept[0], 42.0f);
    EXPECT_EQ(kept[8], 0.0f);
    EXPECT_EQ(kept[4], 1.0f);
    EXPECT_EQ(kept[7], 1.0f / w[1]);
}

TEST_F(WindowGeneratorTest, RefusalsLeaveTheBufferAndTheObjectUnchanged) {
    Array<float> out = ArrayOf(std::vector<float>(32, 7.0f));
    for (bool useTable : {true, false}) {
        WindowGenerator generator(
            Config(EWindowType::eHamming, 64, EWindowNormalize::eAnalysis, useTable));
        EXPECT_DSP_ASSERT(generator.Do(out),
                          useTable ? "WindowGenerator::CreateWindowFromTable:output array does "
                                     "not have a valid size"
                                   : "WindowGenerator::Do:output array does not have a valid size");
    }
    WindowGenerator odd(Config(EWindowType::eHamming, 32, 7));
    EXPECT_DSP_ASSERT(odd.Do(out), "Unexpected normalization type");
    EXPECT_DSP_ASSERT(odd.NormalizeWindow(out), "Unexpected normalization type");
    EXPECT_EQ(Sum(out), 7.0 * 32);

    WindowGenerator generator;
    EXPECT_TRUE(generator.Configure(DSP::WindowGeneratorConfig()));
    EXPECT_EQ(generator.GetSizeControl().GetLastValue(), 4097.0f);
    EXPECT_FALSE(generator.Configure(Config(EWindowType::eHamming, -4, EWindowNormalize::eNone)));
}

} // namespace
