#include "Quorvel/Transformations/TokenDelay.hpp"

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

TEST_F(TokenDelayTest, RaisingTheDelayMovesOnlyTheWritePosition) {
    TokenDelay<Array<float>> line(LineConfig(0, 16));
    line.GetDelayControl().DoControl(2.9f); // truncated toward zero; slots start empty
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

TEST_F(TokenDelayTest, ConfiguringEmptiesTheLineAndSetsTheInitialDelay) {
    TokenDelay<Array<float>> line(LineConfig(0, 8));
    line.GetDelayControl().DoControl(3.f);
    Run(line, 5, 1.f);
    ASSERT_TRUE(line.Configure(LineConfig(3, 8)));
    EXPECT_EQ(Run(line, 4, 10.f), (std::vector<float>{-1, -1, -1, 10}));
    EXPECT_EQ(TokenDelay<Array<float>>(LineConfig(9, 4)).GetCurrentDelay(), 4u);

    // A line without capacity is refused, and an unconfigured line passes tokens through.
    TokenDelay<Array<float>> empty;
    EXPECT_FALSE(empty.Configure(LineConfig(0, 0)));
    EXPECT_NE(empty.GetStatus().find("TokenDelay: MaxDelay must be at least one token"),
              std::string::npos)
        << empty.GetStatus();
    EXPECT_EQ(Run(empty, 2, 1.f), (std::vector<float>{1, 2}));
}

TEST_F(TokenDelayTest, MisuseReportsItsMessage) {
    TokenDelay<Array<float>> line(LineConfig(0, 4));
    EXPECT_DSP_ASSERT(line.Do(),
                      "TokenDelay : the Do() with parameters should be used instead of this one.");
}

} // namespace
