#include "DSP/Data/Frame.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace {

using DSP::Frame;

Frame At(float centerTime) {
    Frame f;
    f.SetCenterTime(centerTime);
    return f;
}

TEST(FrameTest, NewFrameCarriesNothingAndOrderingRunsOppositeToCenterTime) {
    EXPECT_LT(Frame().GetCenterTime(), 0.f);
    EXPECT_FALSE(Frame().GetIsVoiced());
    const Frame early = At(1.f), late = At(2.f), same = At(1.f);
    EXPECT_TRUE(late < early && !(early < late) && early > late && late <= early);
    EXPECT_TRUE(early <= same && early >= same && early == same && early != late);
}

TEST(FrameTest, ForwardersReachTheirOwnMemberAndCopiesAreDeep) {
    Frame f = At(0.5f);
    f.GetSpectrum().SetSize(4);
    f.GetResidualSpec().SetSize(4);
    f.SetMag(1, 2.f);
    f.SetResMag(1, 3.f);
    f.SetResPhase(2, 0.5f);
    EXPECT_EQ(std::make_pair(f.GetSpectrum().GetMagBuffer()[1], f.GetPhase(2)),
              std::make_pair(2.f, 0.f));
    f.GetFundamental().AddElem(220.f, 0.5f);
    f.SetFundamentalErr(0, 0.25f);
    f.SetIsVoiced(true);
    const Frame copy = f;
    f.SetResMag(1, 0.f);
    EXPECT_EQ(copy.GetResMag(1), 3.f);
    EXPECT_EQ(copy.GetResidualSpec().GetPhaseBuffer()[2], 0.5f);
    EXPECT_EQ(std::make_pair(copy.GetFundamentalFreq(0), copy.GetFundamentalErr(0)),
              std::make_pair(220.f, 0.25f));
    EXPECT_TRUE(copy.GetIsVoiced());
    EXPECT_EQ(copy.GetCenterTime(), 0.5f);
}

} // namespace
