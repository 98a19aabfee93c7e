#include "orvane/Parameter.hpp"
#include "orvane/AnyDetails.hpp"
#include "orvane/Exception.hpp"

#include "orvane/DeathText.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>

using orvane::AnyDetails;
using orvane::AnyValue;
using orvane::DocumentToSliderConverter;
using orvane::Parameter;
using orvane::SliderToDocumentConverter;

namespace {

AnyDetails* intDetails(int def, int min, int max) {
    return new AnyDetails("Amount [Hz]", "Amount", def, min, max, 5);
}
AnyDetails* floatDetails(float def, float min, float max) {
    return new AnyDetails("Gain [dB]", "The gain", def, min, max, 5);
}
AnyDetails* enumDetails(unsigned int def, unsigned int min, unsigned int max) {
    return new AnyDetails("Mode", "Mode", def, min, max, {"a", "b", "c", "d", "e"}, 1);
}

std::string whatOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const orvane::Exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

// Each constructor makes its type with its arguments in the order default, minimum, maximum,
// and a new parameter starts at its description's default.
TEST(Parameter, StartsAtItsDescriptionsDefault) {
    const std::pair<AnyDetails*, AnyValue> cases[] = {
        {new AnyDetails("On", "On", true, 5), AnyValue(AnyValue::Bool, 1)},
        {new AnyDetails("Off", "Off", false, 5), AnyValue(AnyValue::Bool, 0)},
        {intDetails(200, 20, 10000), AnyValue(200)},
        {floatDetails(-10.0f, -90.0f, 0.0f), AnyValue(-10.0f)},
        {enumDetails(2, 0, 4), AnyValue::makeEnum(2)}};
    for (const auto& [details, value] : cases) {
        EXPECT_EQ(details->getDefault(), value) << details->getName();
        EXPECT_EQ(Parameter(details).getValue(), value);
    }
    // A copy owns its own record.
    auto original = std::make_unique<AnyDetails>("Depth", "Depth", 5.0f, 0.0f, 100.0f, 5);
    AnyDetails copy(*original), assigned;
    assigned = *original;
    original.reset();
    EXPECT_EQ(copy.getFloatDetails()->getMaxValue(), 100.0f);
    EXPECT_EQ(assigned.getFloatDetails()->getDefault(), 5.0f);
}

TEST(Parameter, UndefinedDescriptionIsRefused) {
    EXPECT_EQ(AnyDetails().getName(), "Undefined");
    const char* expected = "Something strange happened in the parameters";
    EXPECT_EQ(whatOf([] { Parameter p(new AnyDetails()); }), expected);
    EXPECT_EQ(whatOf([] { Parameter p(nullptr); }), expected);
}

TEST(AnyDetailsDeathTest, EnumMaximumMustNameAValue) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(AnyDetails("Mode", "Mode", 0u, 0u, 2u, {"a", "b"}, 0),
                 fatalAssertion("m_maxValue < (unsigned int)m_names.size()"));
}

TEST(ParameterMapping, ExactValuesOfEachTypeWithoutClamping) {
    EXPECT_FLOAT_EQ(orvane::LinearScaleToLinearConverter(0.25f, -90.0f, 30.0f), -60.0f);
    EXPECT_FLOAT_EQ(orvane::LinearToLinearScaleConverter(-60.0f, -90.0f, 30.0f), 0.25f);
    Parameter amount(intDetails(200, 20, 10000)), steps(intDetails(0, -10, 10));
    Parameter fire(new AnyDetails("Fire", "Fire", false, 5));
    Parameter gain(floatDetails(60.0f, -90.0f, 30.0f)), mode(enumDetails(3, 0, 4));
    const std::pair<Parameter*, std::pair<float, AnyValue>> toDocument[] = {
        {&amount, {0.5f, AnyValue(5010)}}, {&amount, {1.0f, AnyValue(10000)}},
        {&amount, {0.0f, AnyValue(20)}},   {&amount, {-0.5f, AnyValue(-4970)}},
        {&steps, {0.78f, AnyValue(5)}},    {&steps, {0.22f, AnyValue(-5)}}, // toward zero
        {&steps, {0.999f, AnyValue(9)}},   {&fire, {0.5f, AnyValue(false)}},
        {&fire, {0.51f, AnyValue(true)}},  {&gain, {0.25f, AnyValue(-60.0f)}},
        {&gain, {1.25f, AnyValue(60.0f)}}};
    for (const auto& [parameter, c] : toDocument)
        EXPECT_EQ(SliderToDocumentConverter(*parameter, c.first), c.second) << c.first;
    EXPECT_EQ(DocumentToSliderConverter(gain), 1.25f);
    EXPECT_EQ(DocumentToSliderConverter(mode), 0.75f); // value / (max - min)
    EXPECT_EQ(DocumentToSliderConverter(fire), 0.0f);
    fire.setValue(AnyValue(true));
    EXPECT_EQ(DocumentToSliderConverter(fire), 1.0f);
    fire.setValue(AnyValue(AnyValue::Bool, 2));
    EXPECT_EQ(DocumentToSliderConverter(fire), 0.0f);
}

TEST(ParameterMapping, ValuesRoundTrip) {
    for (auto range : {std::pair<int, int>{20, 10000}, {-12, 12}, {0, 1}, {-1000000, 1000000}}) {
        Parameter p(intDetails(range.first, range.first, range.second));
        const int step = range.second - range.first > 100000 ? 997 : 1;
        for (int v = range.first; v <= range.second; v += step) {
            p.setValue(AnyValue(v));
            ASSERT_EQ(SliderToDocumentConverter(p, DocumentToSliderConverter(p)), AnyValue(v))
                << v << " in " << range.first << ".." << range.second;
        }
    }
    Parameter mode(enumDetails(0, 0, 4));
    for (unsigned int v = 0; v <= 4; ++v) {
        mode.setValue(AnyValue::makeEnum(v));
        EXPECT_EQ(SliderToDocumentConverter(mode, DocumentToSliderConverter(mode)),
                  AnyValue::makeEnum(v));
    }
}

TEST(ParameterMapping, OddInputsStayDefined) {
    Parameter mode(enumDetails(1, 1, 4));
    for (float x : {-3.0f, 0.0f, 0.1f, 0.5f, 1.0f, 7.0f, kNaN}) {
        const unsigned int v = SliderToDocumentConverter(mode, x).GetEnum();
        EXPECT_TRUE(v >= 1u && v <= 4u) << x;
    }
    Parameter fixed(floatDetails(3.0f, 3.0f, 3.0f)), amount(intDetails(20, 20, 10000));
    EXPECT_EQ(DocumentToSliderConverter(fixed), 0.0f);
    EXPECT_EQ(SliderToDocumentConverter(fixed, kNaN), AnyValue(3.0f));
    EXPECT_EQ(SliderToDocumentConverter(fixed, -std::numeric_limits<float>::infinity()),
              AnyValue(3.0f));
    EXPECT_EQ(SliderToDocumentConverter(amount, kNaN), AnyValue(20));
    EXPECT_EQ(SliderToDocumentConverter(amount, 1e30f), AnyValue(INT32_MAX));
    EXPECT_EQ(SliderToDocumentConverter(amount, -1e30f), AnyValue(INT32_MIN));
    // A value without a record of its type in the description throws.
    Parameter p(floatDetails(0.0f, 0.0f, 1.0f));
    for (const AnyValue& bad : {AnyValue(), AnyValue(3)}) {
        p.setValue(bad);
        EXPECT_EQ(whatOf([&] { DocumentToSliderConverter(p); }), "Bad type!");
        EXPECT_EQ(whatOf([&] { SliderToDocumentConverter(p, 0.5f); }), "Bad type!");
    }
}
