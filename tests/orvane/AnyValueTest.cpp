#include "orvane/AnyValue.hpp"

#include "orvane/DeathText.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

using orvane::AnyValue;

namespace {

std::string text(const AnyValue& value) {
    char buffer[AnyValue::kTextSize];
    return value.ToChar(buffer);
}

const AnyValue kBoolTwo(AnyValue::Bool, 2);

} // namespace

TEST(AnyValueDeathTest, GetterOfAnotherTypeAndTextOfUndefinedAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const AnyValue integer(3), real(3.0f);
    EXPECT_DEATH(integer.GetFloat(), fatalAssertion("mType == Float"));
    EXPECT_DEATH(integer.GetBool(), fatalAssertion("mType == Bool"));
    EXPECT_DEATH(integer.GetEnum(), fatalAssertion("mType == Enum"));
    EXPECT_DEATH(real.GetInt(), fatalAssertion("mType == Int"));
    AnyValue undefined;
    EXPECT_DEATH(text(undefined), fatalAssertion("false"));
    EXPECT_DEATH(AnyValue::FromChar("1", undefined), fatalAssertion("false"));
}

TEST(AnyValue, TextFormsFollowTheirType) {
    const std::pair<AnyValue, const char*> cases[] = {
        {AnyValue(42), "42"},
        {AnyValue(INT_MIN), "-2147483648"},
        {AnyValue(0.5f), "0.50"},
        {AnyValue(-48.0f), "-48.00"},
        {AnyValue(300.0f), "300.00"},
        {AnyValue(-0.004f), "-0.00"},
        {AnyValue(0.333f), "0.33"},
        {AnyValue::makeEnum(UINT_MAX), "4294967295"},
        {AnyValue(true), "1"},
        {AnyValue(false), "0"},
        {kBoolTwo, "0"}, // only the payload 1 is true
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(text(value), expected);
    EXPECT_FALSE(kBoolTwo.GetBool());
}

TEST(AnyValue, TextNeverRunsPastTheBuffer) {
    char storage[16];
    std::memset(storage, '#', sizeof storage);
    const AnyValue value(-123456.0f); // "-123456.00"
    EXPECT_EQ(value.ToChar(storage, 5), storage);
    EXPECT_STREQ(storage, "-123");
    EXPECT_EQ(std::string(storage + 5, sizeof storage - 5), std::string(sizeof storage - 5, '#'));
    EXPECT_STREQ(value.ToChar(storage, 1), "");
    storage[0] = '#';
    value.ToChar(storage, 0);
    EXPECT_EQ(storage[0], '#');
    // The widest text of all fits the advertised size.
    EXPECT_LT(text(AnyValue(-3.4028235e38f)).size(), AnyValue::kTextSize);
}

TEST(AnyValue, ParsingGoesByTheTargetsTypeAndFailureChangesNothing) {
    const std::pair<const char*, AnyValue> parsed[] = {{"0x10", AnyValue(16)},
                                                       {"010", AnyValue(8)},
                                                       {" -5", AnyValue(-5)},
                                                       {"12abc", AnyValue(12)},
                                                       {"-2147483648", AnyValue(INT_MIN)},
                                                       {"12", AnyValue(12.0f)},
                                                       {"-48.00", AnyValue(-48.0f)},
                                                       {"4294967295", AnyValue::makeEnum(UINT_MAX)},
                                                       {"1", AnyValue(true)},
                                                       {"0", AnyValue(false)}};
    for (const auto& [input, expected] : parsed) {
        // The target carries the type only: its payload differs from the expected one.
        AnyValue value(expected.getType(), expected.getPayload() + 1);
        EXPECT_TRUE(AnyValue::FromChar(input, value)) << input;
        EXPECT_EQ(value, expected) << input;
    }
    // Unparsable, out of range or not finite: the target stays as it was.
    const std::pair<AnyValue, const char*> refused[] = {
        {AnyValue(7), "abc"},          {AnyValue(7), ""},
        {AnyValue(7), "2147483648"},   {AnyValue(7), "-99999999999"},
        {AnyValue(7), nullptr},        {AnyValue(1.5f), "nan"},
        {AnyValue(1.5f), "-inf"},      {AnyValue(1.5f), "1e39"},
        {AnyValue::makeEnum(2), "-1"}, {AnyValue::makeEnum(2), "4294967296"},
        {AnyValue(true), "true"},      {AnyValue(true), "1 "},
        {AnyValue(true), " 0"},        {AnyValue(true), "2"}};
    for (const auto& [target, input] : refused) {
        AnyValue value = target;
        EXPECT_FALSE(AnyValue::FromChar(input, value)) << (input ? input : "(null)");
        EXPECT_EQ(value, target) << (input ? input : "(null)");
    }
}
