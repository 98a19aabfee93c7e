#include "orvane/AnyValue.hpp"

#include "orvane/DeathText.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>

using orvane::AnyValue;

namespace {

std::string text(const AnyValue& value) {
    char buffer[AnyValue::kTextSize];
    return value.ToChar(buffer);
}

} // namespace

TEST(AnyValue, TypedGettersReadTheirPayload) {
    EXPECT_EQ(AnyValue(-7).GetInt(), -7);
    EXPECT_EQ(AnyValue(INT_MIN).GetInt(), INT_MIN);
    EXPECT_EQ(AnyValue(0.25f).GetFloat(), 0.25f);
    EXPECT_EQ(AnyValue::makeEnum(3).GetEnum(), 3u);
    EXPECT_TRUE(AnyValue(true).GetBool());
    EXPECT_EQ(AnyValue(true).getPayload(), 1u);
    EXPECT_EQ(AnyValue(false).getPayload(), 0u);
    EXPECT_EQ(AnyValue().getType(), AnyValue::Undefined);
}

TEST(AnyValue, BoolIsTrueOnlyForPayloadOne) {
    const AnyValue two(AnyValue::Bool, 2);
    EXPECT_FALSE(two.GetBool());
    EXPECT_EQ(text(two), "0");
    EXPECT_EQ(text(AnyValue(AnyValue::Bool, 1)), "1");
}

TEST(AnyValueDeathTest, GetterOfAnotherTypeIsFatalAndNamesTheCondition) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const AnyValue integer(3);
    const AnyValue real(3.0f);
    EXPECT_DEATH(integer.GetFloat(), fatalAssertion("mType == Float"));
    EXPECT_DEATH(integer.GetBool(), fatalAssertion("mType == Bool"));
    EXPECT_DEATH(integer.GetEnum(), fatalAssertion("mType == Enum"));
    EXPECT_DEATH(real.GetInt(), fatalAssertion("mType == Int"));
}

TEST(AnyValueDeathTest, TextOfAnUndefinedValueIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AnyValue undefined;
    char buffer[AnyValue::kTextSize];
    EXPECT_DEATH(undefined.ToChar(buffer), fatalAssertion("false"));
    EXPECT_DEATH(AnyValue::FromChar("1", undefined), fatalAssertion("false"));
}

TEST(AnyValue, TextFormsFollowTheirType) {
    const struct {
        AnyValue value;
        const char* expected;
    } cases[] = {
        {AnyValue(42), "42"},
        {AnyValue(-3), "-3"},
        {AnyValue(INT_MIN), "-2147483648"},
        {AnyValue(0.5f), "0.50"},
        {AnyValue(-48.0f), "-48.00"},
        {AnyValue(300.0f), "300.00"},
        {AnyValue(-0.004f), "-0.00"},
        {AnyValue(0.333f), "0.33"},
        {AnyValue::makeEnum(7), "7"},
        {AnyValue::makeEnum(UINT_MAX), "4294967295"},
        {AnyValue(true), "1"},
        {AnyValue(false), "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(c.value), c.expected);
}

TEST(AnyValue, TextNeverRunsPastTheBuffer) {
    char storage[16];
    std::memset(storage, '#', sizeof storage);
    const AnyValue value(-123456.0f); // "-123456.00"

    EXPECT_EQ(value.ToChar(storage, 5), storage);
    EXPECT_STREQ(storage, "-123");
    for (std::size_t i = 5; i < sizeof storage; ++i)
        EXPECT_EQ(storage[i], '#') << "byte " << i;

    EXPECT_STREQ(value.ToChar(storage, 1), "");
    std::memset(storage, '#', sizeof storage);
    value.ToChar(storage, 0);
    EXPECT_EQ(storage[0], '#');

    char small[4];
    EXPECT_STREQ(AnyValue(12345).ToChar(small), "123");
    // The widest text of all fits the advertised size.
    EXPECT_LT(text(AnyValue(-3.4028235e38f)).size(), AnyValue::kTextSize);
}

TEST(AnyValue, ParsingGoesByTheTargetsType) {
    const struct {
        AnyValue target;
        const char* input;
        AnyValue expected;
    } cases[] = {
        {AnyValue(0), "12", AnyValue(12)},
        {AnyValue(0), "0x10", AnyValue(16)},
        {AnyValue(0), "010", AnyValue(8)},
        {AnyValue(0), " -5", AnyValue(-5)},
        {AnyValue(0), "12abc", AnyValue(12)},
        {AnyValue(0), "-2147483648", AnyValue(INT_MIN)},
        {AnyValue(0.0f), "12", AnyValue(12.0f)},
        {AnyValue(0.0f), "0.5", AnyValue(0.5f)},
        {AnyValue(0.0f), "-48.00", AnyValue(-48.0f)},
        {AnyValue::makeEnum(0), "3", AnyValue::makeEnum(3)},
        {AnyValue::makeEnum(0), "4294967295", AnyValue::makeEnum(UINT_MAX)},
        {AnyValue(false), "1", AnyValue(true)},
        {AnyValue(true), "0", AnyValue(false)},
    };
    for (const auto& c : cases) {
        AnyValue value = c.target;
        EXPECT_TRUE(AnyValue::FromChar(c.input, value)) << c.input;
        EXPECT_EQ(value, c.expected) << c.input;
    }
}

TEST(AnyValue, UnparsableTextLeavesTheTargetAsItWas) {
    const struct {
        AnyValue target;
        const char* input;
    } cases[] = {
        {AnyValue(7), "abc"},          {AnyValue(7), ""},
        {AnyValue(7), "2147483648"},   {AnyValue(7), "-99999999999"},
        {AnyValue(7), nullptr},        {AnyValue(1.5f), "abc"},
        {AnyValue(1.5f), "nan"},       {AnyValue(1.5f), "-inf"},
        {AnyValue(1.5f), "1e39"},      {AnyValue::makeEnum(2), "x"},
        {AnyValue::makeEnum(2), "-1"}, {AnyValue::makeEnum(2), "4294967296"},
        {AnyValue(true), "true"},      {AnyValue(true), "1 "},
        {AnyValue(true), " 0"},        {AnyValue(true), "2"},
        {AnyValue(true), ""},
    };
    for (const auto& c : cases) {
        AnyValue value = c.target;
        EXPECT_FALSE(AnyValue::FromChar(c.input, value)) << (c.input ? c.input : "(null)");
        EXPECT_EQ(value, c.target) << (c.input ? c.input : "(null)");
    }
}

TEST(AnyValue, TextFormsRoundTrip) {
    std::mt19937 random(17);
    std::uniform_int_distribution<int> anyInt(INT_MIN, INT_MAX);
    std::uniform_int_distribution<unsigned int> anyIndex(0, UINT_MAX);
    std::uniform_real_distribution<float> anyFloat(-20000.0f, 20000.0f);
    for (int i = 0; i < 1000; ++i) {
        AnyValue integer(anyInt(random)), index = AnyValue::makeEnum(anyIndex(random));
        AnyValue parsedInteger(0), parsedIndex = AnyValue::makeEnum(0);
        ASSERT_TRUE(AnyValue::FromChar(text(integer).c_str(), parsedInteger));
        ASSERT_TRUE(AnyValue::FromChar(text(index).c_str(), parsedIndex));
        EXPECT_EQ(parsedInteger, integer);
        EXPECT_EQ(parsedIndex, index);

        // Two decimals keep a value to within half a hundredth; below 20000 a float's own
        // spacing (2^-9) adds at most another 0.001.
        const float x = anyFloat(random);
        AnyValue parsed(0.0f);
        ASSERT_TRUE(AnyValue::FromChar(text(AnyValue(x)).c_str(), parsed));
        EXPECT_NEAR(parsed.GetFloat(), x, 0.006f);
        // A text with two decimals survives parsing and printing unchanged.
        EXPECT_EQ(text(parsed), text(AnyValue(x)));
    }
    for (bool b : {false, true}) {
        AnyValue parsed(!b);
        ASSERT_TRUE(AnyValue::FromChar(text(AnyValue(b)).c_str(), parsed));
        EXPECT_EQ(parsed, AnyValue(b));
    }
}
