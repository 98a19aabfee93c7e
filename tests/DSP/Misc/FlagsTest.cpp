#include "DSP/Misc/Flags.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

class KindFlags : public DSP::Flags<4> {
public:
    static const tFlagValue sFlagValues[];
    KindFlags() : Flags<4>(sFlagValues) {}
    KindFlags* Species() const override { return new KindFlags; }
    unsigned Bits() const { return static_cast<unsigned>(mBits.to_ulong()); }
    void SetBits(unsigned bits) {
        for (unsigned i = 0; i < 4; ++i)
            SetFlag(i, (bits >> i) & 1);
    }
};

// Position 3 is left unnamed and "Wide" names a position the 4-bit set does not have.
const DSP::FlagsBase::tFlagValue KindFlags::sFlagValues[] = {
    {0, "MagPhase"}, {1, "Complex"}, {2, "Polar"}, {9, "Wide"}, {0, nullptr}};

std::string Text(const DSP::FlagsBase& f) {
    std::ostringstream os;
    os << f;
    return os.str();
}

TEST(FlagsTest, TextOutputListsSetFlagsInPositionOrder) {
    KindFlags f;
    EXPECT_EQ(Text(f), "{}");
    f.SetFlag(2, true);
    f.SetFlag(0, true);
    EXPECT_EQ(Text(f), "{MagPhase Polar}");
}

TEST(FlagsTest, TextRoundTripsEveryNamedCombination) {
    for (unsigned bits = 0; bits < 8; ++bits) {
        KindFlags out, in;
        out.SetBits(bits);
        in.SetBits(~bits);
        std::istringstream is(Text(out));
        is >> in;
        EXPECT_EQ(in.Bits(), bits) << Text(out);
    }
}

TEST(FlagsTest, ReadingBraceListSetsExactlyTheNamedFlags) {
    KindFlags f;
    f.SetBits(0xF);
    std::istringstream is(" { Complex\tPolar}rest");
    is >> f;
    EXPECT_EQ(f.Bits(), 0x6u);
    std::string rest;
    is >> rest;
    EXPECT_EQ(rest, "rest");
}

TEST(FlagsTest, BareNameIsReportedAndLeftInTheStream) {
    KindFlags f;
    f.SetBits(0x1);
    std::istringstream is("Complex");
    testing::internal::CaptureStderr();
    is >> f;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "A flag starting with 'C'\n");
    EXPECT_EQ(f.Bits(), 0x1u);
    std::string word;
    is >> word;
    EXPECT_EQ(word, "Complex");
}

TEST(FlagsTest, UnknownNameThrowsAndLeavesFlagsUnchanged) {
    for (const char* name : {"Bogus", "Wide"}) {
        KindFlags f;
        f.SetBits(0x5);
        std::istringstream is(std::string("{Complex ") + name + "}");
        try {
            is >> f;
            ADD_FAILURE() << "no exception for " << name;
        } catch (const DSP::IllegalValue& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Invalid flag name: '") + name + "'");
        }
        EXPECT_EQ(f.Bits(), 0x5u);
    }
}

TEST(FlagsTest, UnclosedBraceListFailsTheStreamAndChangesNothing) {
    KindFlags f;
    f.SetBits(0x2);
    std::istringstream is("{MagPhase Polar");
    is >> f;
    EXPECT_TRUE(is.fail());
    EXPECT_EQ(f.Bits(), 0x2u);
}

TEST(FlagsTest, NamingUnknownPositionOrNameThrows) {
    KindFlags f;
    EXPECT_EQ(f.GetFlagString(2), "Polar");
    EXPECT_EQ(f.GetFlagPosition("Complex"), 1u);
    for (auto call : {+[](const KindFlags& k) { k.GetFlagString(3); },
                      +[](const KindFlags& k) { k.GetFlagPosition("complex"); }}) {
        try {
            call(f);
            ADD_FAILURE() << "no exception";
        } catch (const DSP::IllegalValue& e) {
            EXPECT_STREQ(e.what(), "Name not defined for an active flag");
        }
    }
    // An unnamed flag that is set cannot be written either.
    f.SetFlag(3, true);
    EXPECT_THROW(Text(f), DSP::IllegalValue);
}

TEST(FlagsTest, PositionBeyondWidthIsRefused) {
    QuietAssertions quiet;
    KindFlags f;
    EXPECT_DSP_ASSERT(f.SetFlag(4, true), "Flags::SetFlag(): position out of range");
    EXPECT_DSP_ASSERT(f.IsSetFlag(4), "Flags::IsSetFlag(): position out of range");
    EXPECT_EQ(f.Bits(), 0u);
}

TEST(FlagsTest, DeepCopyKeepsClassBitsAndTable) {
    KindFlags f;
    f.SetBits(0x9);
    const std::unique_ptr<DSP::FlagsBase> deep(f.DeepCopy());
    const auto* copy = dynamic_cast<const KindFlags*>(deep.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Bits(), 0x9u);
    EXPECT_EQ(copy->GetFlagValues(), KindFlags::sFlagValues);
}

} // namespace
