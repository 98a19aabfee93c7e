#include "DSP/Misc/Enum.hpp"

#include "DSP/Misc/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

class EColour : public DSP::Enum {
public:
    enum { eRed = 0, eGreen = 3, eBlue = 7 };
    static const tEnumValue sEnumValues[];
    EColour(int v = eGreen) : Enum(sEnumValues, v) {}
    EColour* Species() const override { return new EColour; }
};

const DSP::Enum::tEnumValue EColour::sEnumValues[] = {
    {eRed, "Red"}, {eGreen, "Green"}, {eBlue, "Blue"}, {eBlue, "Azure"}, {0, nullptr}};

class EnumTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(EnumTest, NamesAndValuesRoundTripThroughStreams) {
    EColour c;
    std::istringstream in("Blue");
    in >> c;
    EXPECT_EQ(c.GetValue(), EColour::eBlue);
    std::ostringstream out;
    out << c;
    EXPECT_EQ(out.str(), "Blue"); // the first entry with the value names it
}

TEST_F(EnumTest, UnknownNameOrValueFailsWithMessage) {
    EColour c(EColour::eRed);
    EXPECT_DSP_ASSERT(c.SetValue(std::string("")), "Illegal literal for an Enum");
    EXPECT_DSP_ASSERT(c.SetValue(std::string("red")), "Illegal literal for an Enum");
    EXPECT_EQ(c.GetValue(), EColour::eRed);
    c.SetValue(5);
    EXPECT_DSP_ASSERT(c.GetString(), "Illegal numeric value for an Enum");
}

} // namespace
