#include "DSP/Misc/Flags.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class KindFlags : public DSP::Flags<4> {
public:
    static const tFlagValue sFlagValues[];
    KindFlags(unsigned bits = 0) : Flags<4>(sFlagValues) {
        for (unsigned i = 0; i < 4; ++i)
            SetFlag(i, (bits >> i) & 1);
    }
    KindFlags* Species() const override { return new KindFlags; }
    unsigned Bits() const { return static_cast<unsigned>(mBits.to_ulong()); }
};

// Position 3 is left unnamed and "Wide" names a position the 4-bit set does not have.
const DSP::FlagsBase::tFlagValue KindFlags::sFlagValues[] = {
    {0, "MagPhase"}, {1, "Complex"}, {2, "Polar"}, {9, "Wide"}, {0, nullptr}};

std::string Text(const DSP::FlagsBase& f) {
    std::ostringstream os;
    os << f;
    return os.str();
}

TEST(FlagsTest, TextRoundTripsAndABraceListSetsExactlyTheNamedFlags) {
    EXPECT_EQ(Text(KindFlags(0)), "{}");
    EXPECT_EQ(Text(KindFlags(5)), "{MagPhase Polar}");
    for (unsigned bits = 0; bits < 8; ++bits) {
        KindFlags in(~bits);
        std::istringstream is(Text(KindFlags(bits)));
        is >> in;
        EXPECT_EQ(in.Bits(), bits) << bits;
    }
    KindFlags f(0xF);
    std::istringstream is(" { Complex\tPolar}rest");
    std::string rest;
    is >> f >> rest;
    EXPECT_EQ(f.Bits(), 0x6u);
    EXPECT_EQ(rest, "rest");
}

TEST(FlagsTest, MalformedTextIsReportedOrRefusedAndChangesNothing) {
    KindFlags f(0x5);
    for (const std::string name : {"Bogus", "Wide"}) {
        std::istringstream is("{Complex " + name + "}");
        try {
            is >> f;
            ADD_FAILURE() << "no exception for " << name;
        } catch (const DSP::IllegalValue& e) {
            EXPECT_EQ(e.what(), "Invalid flag name: '" + name + "'");
        }
    }
    std::istringstream unclosed("{MagPhase Complex");
    unclosed >> f;
    EXPECT_TRUE(unclosed.fail());
    EXPECT_EQ(f.Bits(), 0x5u);
}

TEST(FlagsTest, OutOfRangePositionsAreRefused) {
    QuietAssertions quiet;
    KindFlags f(0x8);
    EXPECT_DSP_ASSERT(f.SetFlag(4, true), "Flags::SetFlag(): position out of range");
    EXPECT_DSP_ASSERT(f.IsSetFlag(4), "Flags::IsSetFlag(): position out of range");
    EXPECT_EQ(f.Bits(), 0x8u);
}

} // namespace
