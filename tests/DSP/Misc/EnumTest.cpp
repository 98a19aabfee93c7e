#include "DSP/Misc/Enum.hpp"

#include "support/QuietAssertions.hpp"

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

class ESize : public DSP::Enum {
public:
    static const tEnumValue sEnumValues[];
    ESize(int v = 0) : Enum(sEnumValues, v) {}
    ESize* Species() const override { return new ESize; }
};

const DSP::Enum::tEnumValue ESize::sEnumValues[] = {{0, "Small"}, {7, "Large"}, {0, nullptr}};

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

TEST(EnumTest, AssignmentCopiesTheValueOnlyAndCopiesKeepTheirClass) {
    EColour colour(EColour::eRed);
    static_cast<DSP::Enum&>(colour) = ESize(7);
    EXPECT_EQ(colour.GetString(), "Blue");
    EXPECT_EQ(colour.GetSymbolMap(), EColour::sEnumValues);
    const std::unique_ptr<DSP::Enum> deep(colour.DeepCopy()), shallow(colour.ShallowCopy());
    for (const DSP::Enum* e : {deep.get(), shallow.get()}) {
        EXPECT_NE(dynamic_cast<const EColour*>(e), nullptr);
        EXPECT_EQ(e->GetValue(), EColour::eBlue);
    }
}

} // namespace
