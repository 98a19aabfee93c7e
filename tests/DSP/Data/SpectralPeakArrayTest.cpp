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

TEST_F(SpectralPeakArrayTest, GainShiftsEveryMagnitudeOfACopy) {
    const SpectralPeakArray a = List({{100, -6, 1}, {200, -20, 2}});
    EXPECT_EQ(RowsOf(a + 6.f), (Rows{{100, 0, 1}, {200, -14, 2}}));
    EXPECT_EQ(RowsOf(a), (Rows{{100, -6, 1}, {200, -20, 2}}));
}

TEST_F(SpectralPeakArrayTest, MergeInterleavesByFrequencyAndDropsPeaksBelowTheFloors) {
    const SpectralPeakArray a = List({{50, -10, 4}, {100, -20, 1}, {300, -20, 2}});
    const SpectralPeakArray b = List({{100, -30, 5}, {200, -95, 6}, {200, -40, 3}});
    const SpectralPeakArray merged = a + b;
    // 50 Hz is below the lowest frequency kept and -95 dB below the floor.
    EXPECT_EQ(
        RowsOf(merged),
        (Rows{{100, -20, 2 * 1}, {100, -30, 2 * 5 + 1}, {200, -40, 2 * 3 + 1}, {300, -20, 2 * 2}}));
    EXPECT_EQ(merged.GetnMaxPeaks(), a.GetnMaxPeaks() + b.GetnMaxPeaks());
    EXPECT_EQ(merged.GetBinPos(0), 0.f);
    EXPECT_EQ(merged.GetPhase(3), a.GetPhase(2));
    // At exactly -90 dB or 80 Hz a peak is kept, unless it is this list's peak at a frequency
    // the other list shares.
    const SpectralPeakArray c = List({{80, -10, 0}, {150, -90, 1}, {400, -90, 2}});
    const SpectralPeakArray d = List({{80, -10, 0}, {150, -10, 1}, {500, -90, 2}});
    EXPECT_EQ(RowsOf(c + d), (Rows{{80, -10, 1}, {150, -10, 3}, {400, -90, 4}, {500, -90, 5}}));
    Rows many, others;
    for (int i = 0; i < 150; ++i) {
        many.emplace_back(100.f + 10.f * i, -10.f, i);
        others.emplace_back(105.f + 10.f * i, -10.f, i);
    }
    const SpectralPeakArray capped = List(many) + List(others);
    ASSERT_EQ(capped.GetnPeaks(), 200); // at most 200 peaks, the lowest ones
    EXPECT_EQ(RowsOf(capped)[199], Row(1095.f, -10.f, 2 * 99 + 1));
}

} // namespace
