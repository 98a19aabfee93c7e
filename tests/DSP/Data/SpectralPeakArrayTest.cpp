#include "DSP/Data/SpectralPeakArray.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using DSP::EScale;
using DSP::SpectralPeak;
using DSP::SpectralPeakArray;
using Row = std::tuple<float, float, int>; // frequency (Hz), magnitude, track index
using Rows = std::vector<Row>;

SpectralPeak Peak(float freqHz, float mag, int scale = EScale::eLinear) {
    SpectralPeak p;
    p.SetScale(EScale(scale));
    p.SetFreq(freqHz);
    p.SetMag(mag);
    p.SetPhase(freqHz / 400.f);
    p.SetBinPos(freqHz / 50.f);
    p.SetBinWidth(3);
    return p;
}

Rows RowsOf(const SpectralPeakArray& a) {
    Rows rows;
    for (int i = 0; i < a.GetnPeaks(); ++i)
        rows.emplace_back(a.GetFreq(i), a.GetMag(i), a.GetIndex(i));
    return rows;
}

SpectralPeakArray List(const Rows& rows, int scale = EScale::eLog) {
    SpectralPeakArray a;
    a.SetScale(EScale(scale));
    for (const auto& [freqHz, mag, index] : rows)
        a.AddSpectralPeak(Peak(freqHz, mag, scale), true, index);
    return a;
}

class SpectralPeakArrayTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(SpectralPeakArrayTest, GrowthJumpsByAWholeCapacity) {
    SpectralPeakArray a;
    a.SetnPeaks(10);
    EXPECT_EQ(RowsOf(a), Rows(10, Row{0.f, 0.f, 0}));
    a.AddSpectralPeak(Peak(100.f, 1.f));
    EXPECT_EQ(a.GetnMaxPeaks(), 20);
    // Every attribute array grows alike, so the six arrays keep one capacity.
    EXPECT_EQ(a.GetFreqBuffer().AllocatedSize(), 20);
    EXPECT_EQ(a.GetIndexArray().AllocatedSize(), 20);
}

TEST_F(SpectralPeakArrayTest, WholePeaksRoundTripThroughTheArray) {
    SpectralPeakArray a = List({{100, 0.5f, 7}, {300, 0.25f, 9}}, EScale::eLinear);
    a.InsertSpectralPeak(1, Peak(200.f, 0.75f), false, 8);
    const SpectralPeak p = a.GetSpectralPeak(1);
    EXPECT_EQ(std::make_tuple(p.GetFreq(), p.GetMag(), p.GetPhase(), p.GetBinPos(), p.GetBinWidth(),
                              p.GetScale().GetValue()),
              std::make_tuple(200.f, 0.75f, 0.5f, 4.f, 3, int(EScale::eLinear)));
    a.SetSpectralPeak(0, Peak(50.f, 1.f), 4);
    a.DeleteSpectralPeak(2);
    EXPECT_EQ(RowsOf(a), (Rows{{50, 1.f, 4}, {200, 0.75f, 8}}));
}

TEST_F(SpectralPeakArrayTest, PeakAccessMisuseIsRefusedAndChangesNothing) {
    SpectralPeakArray a = List({{100, 0.5f, 1}}, EScale::eLinear);
    EXPECT_DSP_ASSERT(a.AddSpectralPeak(Peak(200.f, -6.f, EScale::eLog)),
                      "SpectralPeakArray::AddSpectralPeak:Incorrect scale in input SpectralPeak");
    EXPECT_DSP_ASSERT(a.InsertSpectralPeak(1, Peak(200.f, 0.5f)),
                      "SpectralPeakArray::InsertSpectralPeak:Out of bounds in peak array");
    EXPECT_DSP_ASSERT(a.GetSpectralPeak(-1),
                      "SpectralPeakArray::GetSpectralPeak:Out of bounds in peak array");
    EXPECT_EQ(RowsOf(a), (Rows{{100, 0.5f, 1}}));
    EXPECT_EQ(a.GetIndexArray().Size(), 1);
}

TEST_F(SpectralPeakArrayTest, TheIndexTableIsSearchedOnlyWhileUpToDate) {
    SpectralPeakArray a = List({{100, .1f, 7}, {200, .4f, 5}, {300, .2f, 7}}, EScale::eLinear);
    EXPECT_DSP_ASSERT(a.GetPositionFromIndex(7),
                      "SpectralPeakArray::GetPositionFromIndex: Index table is not up to date");
    a.SetIsIndexUpToDate(true);
    EXPECT_EQ(a.GetPositionFromIndex(7), 0); // the first entry that matches
    EXPECT_EQ(a.GetPositionFromIndex(5), 1);
    EXPECT_EQ(a.GetPositionFromIndex(4), -1);
    a.ResetIndices();
    EXPECT_EQ(RowsOf(a), (Rows{{100, .1f, 0}, {200, .4f, 1}, {300, .2f, 2}}));
    EXPECT_EQ(a.GetPositionFromIndex(2), 2);
    a.SetIndicesTo(-1);
    EXPECT_EQ(a.GetPositionFromIndex(2), -1);
    EXPECT_EQ(a.GetPositionFromIndex(-1), 0);
}

} // namespace
