#include "DSP/Data/Frame.hpp"

#include <gtest/gtest.h>

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
    EXPECT_EQ(f.GetSpectrum().GetMagBuffer()[1], 2.f);
    EXPECT_EQ(f.GetResidualSpec().GetMagBuffer()[1], 3.f);
    EXPECT_EQ(f.GetPhase(2), 0.f);
    EXPECT_EQ(f.GetResPhase(2), 0.5f);
    DSP::SpectralPeak peak;
    peak.SetFreq(440.f);
    f.AddSpectralPeak(peak, true, 3);
    EXPECT_EQ(f.GetSpectralPeakArray().GetIndex(0), 3);
    f.GetFundamental().AddElem(220.f, 0.5f);
    f.SetFundamentalErr(0, 0.25f);
    EXPECT_EQ(f.GetFundamentalErr(0), 0.25f);
    f.SetIsVoiced(true);
    const Frame copy = f;
    f.SetResMag(1, 0.f);
    EXPECT_EQ(copy.GetResMag(1), 3.f);
    EXPECT_EQ(copy.GetSpectralPeak(0).GetFreq(), 440.f);
    EXPECT_EQ(copy.GetFundamentalFreq(0), 220.f);
    EXPECT_TRUE(copy.GetIsVoiced());
    EXPECT_EQ(copy.GetCenterTime(), 0.5f);
}

} // namespace
