#include "DSP/Misc/Enum.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

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

TEST(EnumTest, NamesAndValuesRoundTripThroughStreams) {
    EColour c;
    std::istringstream in("  Azure Red  ");
    std::ostringstream out;
    in >> c;
    out << c; // the first entry with the value names it
    in >> c;
    out << ' ' << c;
    EXPECT_EQ(out.str(), "Blue Red");
    in >> c; // an exhausted stream fails and keeps the value
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(c.GetValue(), EColour::eRed);
}

TEST(EnumTest, UnknownNameOrValueFailsWithMessage) {
    QuietAssertions quiet;
    EColour c(EColour::eRed);
    for (const char* name : {"", "red"})
        EXPECT_DSP_ASSERT(c.SetValue(std::string(name)), "Illegal literal for an Enum");
    EXPECT_EQ(c.GetValue(), EColour::eRed);
    c.SetValue(5); // stored without a check
    EXPECT_DSP_ASSERT(c.GetString(), "Illegal numeric value for an Enum");
}

} // namespace
