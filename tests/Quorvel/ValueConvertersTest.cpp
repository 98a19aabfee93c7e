#include "Quorvel/ValueConverters.hpp"
#include "orvane/Parameter.hpp"

#include <gtest/gtest.h>

#include <cstring>

using namespace Quorvel;

namespace {
constexpr auto kLinear = KavParamValueCurve::Linear;
constexpr auto kExponential = KavParamValueCurve::Exponential;

} // namespace

TEST(ValueConverters, BoolIntAndFloatPositionsAndBack) {
    orvane::Parameter flag(new orvane::AnyDetails("b", "b", true, 1));
    EXPECT_EQ(DocumentToSliderConverter(flag, kExponential), 1.0f);
    EXPECT_EQ(SliderToDocumentConverter(flag, 0.5f, kLinear), orvane::AnyValue(false));
    EXPECT_EQ(SliderToDocumentConverter(flag, 0.51f, kExponential), orvane::AnyValue(true));
    orvane::Parameter count(new orvane::AnyDetails("i", "i", 5, 0, 10, 1));
    EXPECT_EQ(SliderToDocumentConverter(count, 0.99f, kLinear), orvane::AnyValue(9));
    EXPECT_EQ(SliderToDocumentConverter(count, 0.99f, kExponential), orvane::AnyValue(9));
    // 100 Hz of 0..1600 is 1/16 of the range: position 1/2 on the fourth-power curve, within
    // the fast square root's error (about 1e-4 relative).
    orvane::Parameter hz(new orvane::AnyDetails("f", "f", 100.0f, 0.0f, 1600.0f, 1));
    EXPECT_NEAR(DocumentToSliderConverter(hz, kExponential), 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(SliderToDocumentConverter(hz, 0.5f, kExponential).GetFloat(), 100.0f);
}

TEST(ValueConverters, DecibelTextsAndTypedValues) {
    char text[32];
    orvane::Parameter quiet(new orvane::AnyDetails("g", "g", 0.00005f, 0.0f, 2.0f, 1));
    ParameterToText(text, sizeof text, quiet, KavParamValueUnit::Decibel, true);
    EXPECT_STREQ(text, "-inf");
    orvane::Parameter unity(new orvane::AnyDetails("g", "g", 1.0f, 0.0f, 2.0f, 1));
    ParameterToText(text, sizeof text, unity, KavParamValueUnit::Decibel, true);
    EXPECT_STREQ(text, "0.00 dB");
    // Typed dB values become linear and are clamped into the range; "-inf" is silence.
    orvane::AnyValue value;
    std::strcpy(text, "-inf");
    ASSERT_TRUE(
        TextToParameter(text, sizeof text, unity, value, KavParamValueUnit::Decibel, false));
    EXPECT_EQ(value, orvane::AnyValue(0.0f));
    std::strcpy(text, "20");
    ASSERT_TRUE(
        TextToParameter(text, sizeof text, unity, value, KavParamValueUnit::Decibel, false));
    EXPECT_EQ(value, orvane::AnyValue(2.0f));
    // A text without a number (or a NaN) leaves the value and shows the current one again.
    for (const char* typed : {"abc", "nan"}) {
        std::strcpy(text, typed);
        EXPECT_FALSE(
            TextToParameter(text, sizeof text, unity, value, KavParamValueUnit::Hertz, false));
        EXPECT_STREQ(text, "1.00");
        EXPECT_EQ(value, orvane::AnyValue(2.0f));
    }
}
