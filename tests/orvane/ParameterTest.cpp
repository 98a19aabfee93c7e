#include "orvane/Parameter.hpp"
#include "orvane/AnyDetails.hpp"
#include "orvane/Exception.hpp"

#include "orvane/DeathText.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>

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

} // namespace

TEST(AnyDetails, EachConstructorMakesItsTypeAndOnlyItsRecord) {
    const AnyDetails b("Fire", "Fire the freeze", true, 5);
    const AnyDetails i("Amount", "Amount", 200, 20, 10000, 5);
    const AnyDetails f("Gain", "The gain of the plugin", 1.0f, 0.0f, 2.0f, 7);
    const AnyDetails e("Mode", "Mode", 1u, 0u, 2u, {"x", "y", "z"}, 4);
    EXPECT_EQ(b.getType(), AnyValue::Bool);
    EXPECT_EQ(i.getType(), AnyValue::Int);
    EXPECT_EQ(f.getType(), AnyValue::Float);
    EXPECT_EQ(e.getType(), AnyValue::Enum);
    EXPECT_TRUE(b.getBoolDetails() && !b.getIntDetails() && !b.getFloatDetails());
    EXPECT_TRUE(i.getIntDetails() && !i.getFloatDetails() && !i.getEnumDetails());
    EXPECT_TRUE(f.getFloatDetails() && !f.getBoolDetails() && !f.getIntDetails());
    EXPECT_TRUE(e.getEnumDetails() && !e.getIntDetails() && !e.getBoolDetails());

    // Argument order is default, minimum, maximum.
    EXPECT_EQ(i.getIntDetails()->getMinValue(), 20);
    EXPECT_EQ(i.getIntDetails()->getMaxValue(), 10000);
    EXPECT_EQ(f.getDescription(), "The gain of the plugin");
    EXPECT_EQ(f.getFlags(), 7u);
    EXPECT_EQ(b.getDefault(), AnyValue(AnyValue::Bool, 1));
    EXPECT_EQ(i.getDefault(), AnyValue(200));
    EXPECT_EQ(f.getDefault(), AnyValue(1.0f));
    EXPECT_EQ(e.getDefault(), AnyValue::makeEnum(1));
    EXPECT_EQ(AnyDetails("Off", "Off", false, 0).getDefault(), AnyValue(AnyValue::Bool, 0));
}

TEST(AnyDetails, DefaultDescriptionIsUndefined) {
    AnyDetails d;
    EXPECT_EQ(d.getType(), AnyValue::Undefined);
    EXPECT_EQ(d.getName(), "Undefined");
    EXPECT_EQ(d.getDescription(), "Undefined");
    EXPECT_EQ(d.getFlags(), 0u);
    EXPECT_EQ(d.getDefault().getType(), AnyValue::Undefined);
    EXPECT_EQ(d.getIndex(), -1);
    d.setIndex(12);
    EXPECT_EQ(d.getIndex(), 12);
}

TEST(AnyDetails, CopiesOwnTheirOwnRecord) {
    auto original = std::make_unique<AnyDetails>("Depth", "Depth", 5.0f, 0.0f, 100.0f, 5);
    AnyDetails copy(*original);
    AnyDetails assigned;
    assigned = *original;
    original.reset();
    EXPECT_EQ(copy.getFloatDetails()->getMaxValue(), 100.0f);
    EXPECT_EQ(assigned.getFloatDetails()->getDefault(), 5.0f);
    EXPECT_EQ(assigned.getName(), "Depth");
}

TEST(AnyDetailsDeathTest, EnumMaximumMustNameAValue) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(AnyDetails("Mode", "Mode", 0u, 0u, 2u, {"a", "b"}, 0),
                 fatalAssertion("m_maxValue < (unsigned int)m_names.size()"));
}

TEST(Parameter, StartsAtItsDescriptionsDefault) {
    EXPECT_EQ(Parameter(intDetails(200, 20, 10000)).getValue(), AnyValue(200));
    EXPECT_EQ(Parameter(floatDetails(-10.0f, -90.0f, 0.0f)).getValue(), AnyValue(-10.0f));
    EXPECT_EQ(Parameter(enumDetails(2, 0, 4)).getValue(), AnyValue::makeEnum(2));
    EXPECT_EQ(Parameter(new AnyDetails("On", "On", true, 5)).getValue(),
              AnyValue(AnyValue::Bool, 1));
    EXPECT_EQ(Parameter(new AnyDetails("On", "On", false, 5)).getValue(),
              AnyValue(AnyValue::Bool, 0));
}

TEST(Parameter, UndefinedDescriptionIsRefused) {
    const char* expected = "Something strange happened in the parameters";
    EXPECT_EQ(whatOf([] { Parameter p(new AnyDetails()); }), expected);
    EXPECT_EQ(whatOf([] { Parameter p(nullptr); }), expected);
}

TEST(ParameterMapping, LinearConvertersAreInverse) {
    EXPECT_FLOAT_EQ(orvane::LinearScaleToLinearConverter(0.25f, -90.0f, 30.0f), -60.0f);
    EXPECT_FLOAT_EQ(orvane::LinearToLinearScaleConverter(-60.0f, -90.0f, 30.0f), 0.25f);
}

TEST(ParameterMapping, ExactValuesOfEachType) {
    Parameter amount(intDetails(200, 20, 10000));
    EXPECT_EQ(SliderToDocumentConverter(amount, 0.5f), AnyValue(5010));
    EXPECT_EQ(SliderToDocumentConverter(amount, 1.0f), AnyValue(10000));
    EXPECT_EQ(SliderToDocumentConverter(amount, 0.0f), AnyValue(20));
    // Truncation toward zero of a genuinely fractional result.
    Parameter steps(intDetails(0, -10, 10));
    EXPECT_EQ(SliderToDocumentConverter(steps, 0.78f), AnyValue(5));  // 5.6
    EXPECT_EQ(SliderToDocumentConverter(steps, 0.22f), AnyValue(-5)); // -5.6
    EXPECT_EQ(SliderToDocumentConverter(steps, 0.999f), AnyValue(9)); // 9.98
    amount.setValue(AnyValue(5010));
    EXPECT_EQ(DocumentToSliderConverter(amount), 0.5f);

    Parameter fire(new AnyDetails("Fire", "Fire", false, 5));
    EXPECT_EQ(DocumentToSliderConverter(fire), 0.0f);
    EXPECT_EQ(SliderToDocumentConverter(fire, 0.5f), AnyValue(false));
    EXPECT_EQ(SliderToDocumentConverter(fire, 0.51f), AnyValue(true));
    fire.setValue(AnyValue(true));
    EXPECT_EQ(DocumentToSliderConverter(fire), 1.0f);
    fire.setValue(AnyValue(AnyValue::Bool, 2));
    EXPECT_EQ(DocumentToSliderConverter(fire), 0.0f);

    Parameter gain(floatDetails(0.0f, -90.0f, 30.0f));
    EXPECT_EQ(DocumentToSliderConverter(gain), 0.75f);
    EXPECT_EQ(SliderToDocumentConverter(gain, 0.25f), AnyValue(-60.0f));

    // Enum maps by value / (max - min).
    Parameter mode(enumDetails(3, 0, 4));
    EXPECT_EQ(DocumentToSliderConverter(mode), 0.75f);
}

TEST(ParameterMapping, ValuesOutsideTheRangeAreNotClamped) {
    Parameter gain(floatDetails(60.0f, -90.0f, 30.0f));
    EXPECT_EQ(DocumentToSliderConverter(gain), 1.25f);
    EXPECT_EQ(SliderToDocumentConverter(gain, 1.25f), AnyValue(60.0f));
    Parameter amount(intDetails(20, 20, 10000));
    EXPECT_EQ(SliderToDocumentConverter(amount, -0.5f), AnyValue(-4970));
}

TEST(ParameterMapping, EveryIntOfARangeRoundTrips) {
    for (auto range : {std::pair<int, int>{20, 10000}, {-12, 12}, {0, 1}, {-1000000, 1000000}}) {
        Parameter p(intDetails(range.first, range.first, range.second));
        const int step = range.second - range.first > 100000 ? 997 : 1;
        for (int v = range.first; v <= range.second; v += step) {
            p.setValue(AnyValue(v));
            ASSERT_EQ(SliderToDocumentConverter(p, DocumentToSliderConverter(p)), AnyValue(v))
                << v << " in " << range.first << ".." << range.second;
        }
    }
}

TEST(ParameterMapping, FloatsAndEnumsRoundTrip) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> anyGain(-90.0f, 30.0f);
    Parameter gain(floatDetails(0.0f, -90.0f, 30.0f));
    for (int i = 0; i < 1000; ++i) {
        const float v = anyGain(random);
        gain.setValue(AnyValue(v));
        // Two float roundings of a value of magnitude <= 120: a few units of 2^-17.
        EXPECT_NEAR(SliderToDocumentConverter(gain, DocumentToSliderConverter(gain)).GetFloat(), v,
                    1e-4f);
    }
    Parameter mode(enumDetails(0, 0, 4));
    for (unsigned int v = 0; v <= 4; ++v) {
        mode.setValue(AnyValue::makeEnum(v));
        EXPECT_EQ(SliderToDocumentConverter(mode, DocumentToSliderConverter(mode)),
                  AnyValue::makeEnum(v));
    }
}

TEST(ParameterMapping, EnumValuesStayWithinTheirRange) {
    Parameter mode(enumDetails(1, 1, 4));
    for (float x : {-3.0f, 0.0f, 0.1f, 0.5f, 1.0f, 7.0f, std::numeric_limits<float>::quiet_NaN()}) {
        const unsigned int v = SliderToDocumentConverter(mode, x).GetEnum();
        EXPECT_GE(v, 1u) << x;
        EXPECT_LE(v, 4u) << x;
    }
}

TEST(ParameterMapping, EmptyRangesAndNonFiniteInputsStayDefined) {
    Parameter fixed(floatDetails(3.0f, 3.0f, 3.0f));
    EXPECT_EQ(DocumentToSliderConverter(fixed), 0.0f);
    Parameter amount(intDetails(20, 20, 10000));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(SliderToDocumentConverter(amount, nan), AnyValue(20));
    EXPECT_EQ(SliderToDocumentConverter(fixed, nan), AnyValue(3.0f));
    EXPECT_EQ(SliderToDocumentConverter(fixed, -std::numeric_limits<float>::infinity()),
              AnyValue(3.0f));
    EXPECT_EQ(SliderToDocumentConverter(amount, 1e30f), AnyValue(INT32_MAX));
    EXPECT_EQ(SliderToDocumentConverter(amount, -1e30f), AnyValue(INT32_MIN));
}

TEST(ParameterMapping, UnhandledTypesThrowBadType) {
    Parameter p(floatDetails(0.0f, 0.0f, 1.0f));
    p.setValue(AnyValue());
    EXPECT_EQ(whatOf([&] { DocumentToSliderConverter(p); }), "Bad type!");
    EXPECT_EQ(whatOf([&] { SliderToDocumentConverter(p, 0.5f); }), "Bad type!");
    // A value whose type has no record in the description.
    p.setValue(AnyValue(3));
    EXPECT_EQ(whatOf([&] { DocumentToSliderConverter(p); }), "Bad type!");
    EXPECT_EQ(whatOf([&] { SliderToDocumentConverter(p, 0.5f); }), "Bad type!");
}
