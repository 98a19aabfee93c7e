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

class EnumTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(EnumTest, NamesAndValuesRoundTripThroughStreams) {
    EColour c;
    std::istringstream in("  Azure Red");
    in >> c;
    EXPECT_EQ(c.GetValue(), EColour::eBlue);
    std::ostringstream out;
    out << c; // the first entry with the value names it
    in >> c;
    out << ' ' << c;
    EXPECT_EQ(out.str(), "Blue Red");
}

TEST_F(EnumTest, ReadingFromExhaustedStreamKeepsValue) {
    EColour c(EColour::eBlue);
    std::istringstream in("   ");
    in >> c;
    EXPECT_TRUE(in.fail());
    EXPECT_EQ(c.GetValue(), EColour::eBlue);
}

TEST_F(EnumTest, UnknownNameOrValueFailsWithMessage) {
    EColour c(EColour::eRed);
    EXPECT_DSP_ASSERT(c.SetValue(std::string("")), "Illegal literal for an Enum");
    EXPECT_DSP_ASSERT(c.SetValue(std::string("red")), "Illegal literal for an Enum");
    EXPECT_EQ(c.GetValue(), EColour::eRed);
    c.SetValue(5); // stored without a check
    EXPECT_EQ(c.GetValue(), 5);
    EXPECT_DSP_ASSERT(c.GetString(), "Illegal numeric value for an Enum");
}

TEST_F(EnumTest, AssignmentCopiesValueButKeepsTable) {
    ESize size(7);
    EColour colour(EColour::eRed);
    static_cast<DSP::Enum&>(colour) = size;
    EXPECT_EQ(colour.GetValue(), EColour::eBlue);
    EXPECT_EQ(colour.GetString(), "Blue");
    EXPECT_EQ(colour.GetSymbolMap(), EColour::sEnumValues);

    const EColour copy(colour);
    EXPECT_EQ(copy.GetSymbolMap(), EColour::sEnumValues);
    EXPECT_EQ(copy.GetValue(), EColour::eBlue);
}

TEST_F(EnumTest, CopiesThroughSpeciesKeepClassAndValue) {
    const EColour c(EColour::eBlue);
    const std::unique_ptr<DSP::Enum> deep(c.DeepCopy());
    const std::unique_ptr<DSP::Enum> shallow(c.ShallowCopy());
    for (const DSP::Enum* e : {deep.get(), shallow.get()}) {
        EXPECT_NE(dynamic_cast<const EColour*>(e), nullptr);
        EXPECT_EQ(e->GetValue(), EColour::eBlue);
    }
    EXPECT_EQ(std::unique_ptr<DSP::Enum>(c.Species())->GetValue(), EColour::eGreen);
    EXPECT_EQ(c.GetDSPClassName(), nullptr);
}

} // namespace
