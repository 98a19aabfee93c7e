#include "Quorvel/Transformations/TokenDelay.hpp"

#include "DSP/Data/Spectrum.hpp"
#include "support/AllocationCounter.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using DSP::Array;
using DSP::TokenDelay;
using DSP::TokenDelayConfig;

// Tokens are one-element arrays holding their serial number; an empty token reads as -1.
Array<float> Token(float serial) {
    Array<float> token(1);
    token[0] = serial;
    return token;
}

float Serial(const Array<float>& token) {
    return token.Size() == 0 ? -1.f : token[0];
}

TokenDelayConfig LineConfig(std::uint32_t initialDelay, std::uint32_t maxDelay) {
    TokenDelayConfig config;
    config.SetInitialDelay(initialDelay);
    config.SetMaxDelay(maxDelay);
    return config;
}

class TokenDelayTest : public ::testing::Test {
protected:
    // Pushes tokens first, first + 1, … and returns the serials that come out.
    std::vector<float> Run(TokenDelay<Array<float>>& line, int count, float first) {
        std::vector<float> serials;
        Array<float> out;
        for (int i = 0; i < count; ++i) {
            line.Do(Token(first + static_cast<float>(i)), out);
            serials.push_back(Serial(out));
        }
        return serials;
    }

    QuietAssertions quiet;
};

// 0, the capacity and beyond it, negative and NaN delays all return the token just written.
TEST_F(TokenDelayTest, DelaysWithoutReachReturnTheTokenJustWritten) {
    struct Case {
        float delay;
        std::uint32_t applied;
    };
    for (const Case& c : {Case{0.f, 0}, Case{500.f, 500}, Case{600.f, 500}, Case{-4.f, 0},
                          Case{std::numeric_limits<float>::quiet_NaN(), 0}}) {
        TokenDelay<Array<float>> line(LineConfig(0, 500));
        line.GetDelayControl().DoControl(c.delay);
        EXPECT_EQ(Run(line, 3, 1.f), (std::vector<float>{1, 2, 3})) << c.delay;
        EXPECT_EQ(line.GetCurrentDelay(), c.applied) << c.delay;
    }
}

TEST_F(TokenDelayTest, TokensComeOutAfterTheTruncatedDelayAndSlotsStartEmpty) {
    TokenDelay<Array<float>> line(LineConfig(0, 8));
    line.GetDelayControl().DoControl(3.9f); // truncated toward zero: 3 tokens
    EXPECT_EQ(Run(line, 6, 1.f), (std::vector<float>{-1, -1, -1, 1, 2, 3}));
    EXPECT_EQ(line.GetCurrentDelay(), 3u);
}

TEST_F(TokenDelayTest, RaisingTheDelayMovesOnlyTheWritePosition) {
    TokenDelay<Array<float>> line(LineConfig(0, 16));
    line.GetDelayControl().DoControl(2.f);
    EXPECT_EQ(Run(line, 4, 1.f), (std::vector<float>{-1, -1, 1, 2}));
    line.GetDelayControl().DoControl(5.f);
    // Tokens 3 and 4 are still in the line; the three slots after them were never written;
    // then token 5 comes out five calls after it went in.
    EXPECT_EQ(Run(line, 7, 5.f), (std::vector<float>{3, 4, -1, -1, -1, 5, 6}));
}

TEST_F(TokenDelayTest, ReadCurrentSampleNoAdvanceAppliesAPendingDelayChange) {
    TokenDelay<Array<float>> line(LineConfig(0, 8));
    line.GetDelayControl().DoControl(1.f);
    Run(line, 4, 1.f); // the line holds 1 … 4; token 4 comes out next
    line.GetDelayControl().DoControl(3.f);
    Array<float> next;
    line.ReadCurrentSampleNoAdvance(next);
    line.ReadCurrentSampleNoAdvance(next); // reading does not move
    EXPECT_EQ(Serial(next), 4.f);
    EXPECT_EQ(line.GetCurrentDelay(), 3u);
    EXPECT_EQ(Run(line, 4, 5.f), (std::vector<float>{4, -1, -1, 5}));
}

TEST_F(TokenDelayTest, InitialDelayAppliesUntilTheControlDiffers) {
    TokenDelay<Array<float>> line(LineConfig(3, 8));
    line.GetDelayControl().DoControl(3.f);
    EXPECT_EQ(Run(line, 4, 1.f), (std::vector<float>{-1, -1, -1, 1}));

    TokenDelay<Array<float>> clamped(LineConfig(9, 4));
    EXPECT_EQ(clamped.GetCurrentDelay(), 4u);
}

TEST_F(TokenDelayTest, ConfiguringEmptiesTheLine) {
    TokenDelay<Array<float>> line(LineConfig(0, 8));
    line.GetDelayControl().DoControl(2.f);
    Run(line, 5, 1.f);
    ASSERT_TRUE(line.Configure(LineConfig(0, 8)));
    EXPECT_EQ(Run(line, 3, 10.f), (std::vector<float>{-1, -1, 10}));
}

TEST_F(TokenDelayTest, ZeroCapacityIsRefusedAndAnUnconfiguredLinePassesTokensThrough) {
    TokenDelay<Array<float>> line;
    EXPECT_FALSE(line.Configure(LineConfig(0, 0)));
    EXPECT_NE(line.GetStatus().find("TokenDelay: MaxDelay must be at least one token"),
              std::string::npos)
        << line.GetStatus();
    EXPECT_EQ(Run(line, 2, 1.f), (std::vector<float>{1, 2}));
}

TEST_F(TokenDelayTest, ReadingAnEmptySlotKeepsTheOutputStorage) {
    TokenDelay<Array<float>> line(LineConfig(0, 4));
    line.GetDelayControl().DoControl(2.f);
    Array<float> out(16);
    line.Do(Token(1.f), out);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_EQ(out.AllocatedSize(), 16);
}

TEST_F(TokenDelayTest, PreparedSlotsTakeTokensOfTheirShapeWithoutNewStorage) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    TokenDelay<Array<float>> line(LineConfig(0, 3));
    line.PrepareTokens(Array<float>(64));
    line.GetDelayControl().DoControl(0.f);
    Array<float> in(64);
    in[63] = 7.f;
    Array<float> out(64);
    AllocationCounter heap;
    for (int i = 0; i < 5; ++i)
        line.Do(in, out);
    EXPECT_EQ(heap.Calls(), 0);
    EXPECT_EQ(out[63], 7.f);
}

TEST_F(TokenDelayTest, MisuseReportsItsMessage) {
    TokenDelay<Array<float>> line(LineConfig(0, 4));
    EXPECT_DSP_ASSERT(line.Do(),
                      "TokenDelay : the Do() with parameters should be used instead of this one.");
    EXPECT_DSP_ASSERT(line.Discard(nullptr), "TokenDelay: Discarding a null pointer");
    Array<float> token = Token(3.f);
    line.Discard(&token);
    EXPECT_EQ(token.Size(), 0);
}

TEST_F(TokenDelayTest, SpectrumLineDeliversEmptySpectraUntilWritten) {
    TokenDelay<DSP::Spectrum> line(LineConfig(0, 4));
    line.GetDelayControl().DoControl(1.f);
    DSP::SpectrumConfig config;
    config.SetSize(5);
    DSP::Spectrum in(config);
    in.GetMagBuffer()[4] = 2.f;
    DSP::Spectrum out(config);
    line.Do(in, out);
    EXPECT_EQ(out.GetSize(), 0);
    line.ReadCurrentSampleNoAdvance(out);
    ASSERT_EQ(out.GetSize(), 5);
    EXPECT_EQ(out.GetMagBuffer()[4], 2.f);
}

} // namespace
