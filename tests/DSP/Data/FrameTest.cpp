#include "DSP/Data/Frame.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::Frame;

Frame At(float centerTime) {
    Frame f;
    f.SetCenterTime(centerTime);
    return f;
}

TEST(FrameTest, NewFrameCarriesNothingToSynthesize) {
    const Frame f;
    EXPECT_LT(f.GetCenterTime(), 0.f);
    EXPECT_EQ(f.GetDuration(), -1.f);
    EXPECT_FALSE(f.GetIsVoiced());
    EXPECT_FALSE(f.GetIsSinusoidalSpectrumReady());
    EXPECT_EQ(f.GetFundamentalFreq(0), 0.f);
}

TEST(FrameTest, OrderingRunsOppositeToCenterTime) {
    const Frame early = At(1.f), late = At(2.f), sameAsEarly = At(1.f);
    EXPECT_TRUE(late < early);
    EXPECT_FALSE(early < late);
    EXPECT_TRUE(early > late);
    EXPECT_TRUE(early <= sameAsEarly && early >= sameAsEarly);
    EXPECT_TRUE(late <= early && early >= late);
    EXPECT_TRUE(early == sameAsEarly);
    EXPECT_TRUE(early != late);
}

TEST(FrameTest, ForwardersReachTheirOwnMember) {
    Frame f;
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
    EXPECT_EQ(f.GetSpectralPeak(0).GetFreq(), 440.f);
    f.GetFundamental().AddElem(220.f, 0.5f);
    f.SetFundamentalErr(0, 0.25f);
    EXPECT_EQ(f.GetFundamentalFreq(0), 220.f);
    EXPECT_EQ(f.GetFundamentalErr(0), 0.25f);
}

TEST(FrameTest, CopiesAreDeepAndKeepTheFlags) {
    Frame f = At(0.5f);
    f.GetAudioFrame().SetSize(3);
    f.GetAudioFrame().GetBuffer()[2] = 0.75f;
    f.SetIsVoiced(true);
    f.SetIsSinusoidalSpectrumReady(true);
    Frame copy = f;
    f.GetAudioFrame().GetBuffer()[2] = 0.f;
    EXPECT_EQ(copy.GetAudioFrame().GetBuffer()[2], 0.75f);
    EXPECT_TRUE(copy.GetIsVoiced());
    EXPECT_TRUE(copy.GetIsSinusoidalSpectrumReady());
    EXPECT_EQ(copy.GetCenterTime(), 0.5f);
}

} // namespace
