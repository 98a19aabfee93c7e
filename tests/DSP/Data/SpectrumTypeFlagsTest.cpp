#include "DSP/Data/SpectrumTypeFlags.hpp"
#include "DSP/Data/EScale.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using DSP::SpecTypeFlags;

std::string Text(const DSP::FlagsBase& flags) {
    std::ostringstream os;
    os << flags;
    return os.str();
}

TEST(SpecTypeFlagsTest, DefaultHoldsMagnitudeAndPhaseOnly) {
    EXPECT_EQ(Text(SpecTypeFlags()), "{MagPhase}");
    EXPECT_EQ(Text(SpecTypeFlags({SpecTypeFlags::eMagPhaseBPF, SpecTypeFlags::eComplex})),
              "{Complex MagPhaseBPF}");
}

TEST(SpecTypeFlagsTest, ReadingABraceListSetsExactlyTheNamedFlags) {
    SpecTypeFlags flags;
    std::istringstream in("{Complex Polar}");
    in >> flags;
    EXPECT_EQ(flags, SpecTypeFlags({SpecTypeFlags::eComplex, SpecTypeFlags::ePolar}));
    EXPECT_EQ(flags.GetFlagPosition("MagPhaseBPF"), 3u);
}

TEST(EScaleTest, NamesAreLinearAndLog) {
    DSP::EScale scale;
    EXPECT_EQ(scale.GetString(), "Linear");
    scale.SetValue(std::string("Log"));
    EXPECT_EQ(scale.GetValue(), DSP::EScale::eLog);
}

} // namespace
