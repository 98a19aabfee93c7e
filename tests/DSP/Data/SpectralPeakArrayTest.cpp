#include "DSP/Data/SpectralPeakArray.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using DSP::EScale;
using DSP::SpectralPeak;
using DSP::SpectralPeakArray;

SpectralPeak Peak(float freqHz, float mag, int scale = EScale::eLinear) {
    SpectralPeak p;
    p.SetScale(EScale(scale));
    p.SetFreq(freqHz);
    p.SetMag(mag);
    p.SetPhase(0.25f * freqHz / 100.f);
    p.SetBinPos(freqHz / 50.f);
    p.SetBinWidth(3);
    return p;
}

struct PeakRow {
    float freqHz;
    float mag;
    int index;
    bool operator==(const PeakRow& o) const {
        return freqHz == o.freqHz && mag == o.mag && index == o.index;
    }
};
std::ostream& operator<<(std::ostream& os, const PeakRow& r) {
    return os << "{" << r.freqHz << " Hz, " << r.mag << ", #" << r.index << "}";
}

std::vector<PeakRow> Rows(const SpectralPeakArray& a) {
    std::vector<PeakRow> rows;
    for (int i = 0; i < a.GetnPeaks(); ++i)
        rows.push_back({a.GetFreq(i), a.GetMag(i), a.GetIndex(i)});
    return rows;
}

// A dB peak list with the given (frequency, magnitude, track id) rows.
SpectralPeakArray DbList(const std::vector<PeakRow>& rows) {
    SpectralPeakArray a;
    a.SetScale(EScale(EScale::eLog));
    for (const PeakRow& r : rows)
        a.AddSpectralPeak(Peak(r.freqHz, r.mag, EScale::eLog), true, r.index);
    return a;
}

class SpectralPeakArrayTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(SpectralPeakArrayTest, GrowthJumpsByAWholeCapacityWhileMinimizingResizes) {
    SpectralPeakArray a;
    a.SetnPeaks(10);
    EXPECT_EQ(a.GetnMaxPeaks(), 10);
    EXPECT_EQ(Rows(a), std::vector<PeakRow>(10, PeakRow{0.f, 0.f, 0}));
    a.AddSpectralPeak(Peak(100.f, 1.f));
    EXPECT_EQ(a.GetnMaxPeaks(), 20);
    // Every attribute array grows alike, so the six arrays keep one capacity.
    EXPECT_EQ(a.GetFreqBuffer().AllocatedSize(), 20);
    EXPECT_EQ(a.GetIndexArray().AllocatedSize(), 20);

    SpectralPeakArray b;
    b.SetMinimizeResizes(false);
    b.SetnPeaks(10);
    b.AddSpectralPeak(Peak(100.f, 1.f));
    EXPECT_EQ(b.GetnMaxPeaks(), 11);
}

TEST_F(SpectralPeakArrayTest, WholePeaksRoundTripThroughTheArray) {
    SpectralPeakArray a;
    a.AddSpectralPeak(Peak(100.f, 0.5f), false, 7);
    a.AddSpectralPeak(Peak(300.f, 0.25f), false, 9);
    a.InsertSpectralPeak(1, Peak(200.f, 0.75f), false, 8);
    EXPECT_EQ(Rows(a), (std::vector<PeakRow>{{100, 0.5f, 7}, {200, 0.75f, 8}, {300, 0.25f, 9}}));
    const SpectralPeak p = a.GetSpectralPeak(1);
    EXPECT_EQ(p.GetFreq(), 200.f);
    EXPECT_EQ(p.GetPhase(), 0.5f);
    EXPECT_EQ(p.GetBinPos(), 4.f);
    EXPECT_EQ(p.GetBinWidth(), 3);
    EXPECT_EQ(p.GetScale().GetValue(), EScale::eLinear);
    a.SetSpectralPeak(0, Peak(50.f, 1.f), 4);
    a.DeleteSpectralPeak(2);
    EXPECT_EQ(Rows(a), (std::vector<PeakRow>{{50, 1.f, 4}, {200, 0.75f, 8}}));
}

TEST_F(SpectralPeakArrayTest, PeaksOfAnotherScaleOrPositionAreRefusedAndNothingChanges) {
    SpectralPeakArray a;
    a.AddSpectralPeak(Peak(100.f, 0.5f), false, 1);
    const auto before = Rows(a);
    const SpectralPeak db = Peak(200.f, -6.f, EScale::eLog);
    const SpectralPeak lin = Peak(200.f, 0.5f);
    EXPECT_DSP_ASSERT(a.AddSpectralPeak(db),
                      "SpectralPeakArray::AddSpectralPeak:Incorrect scale in input SpectralPeak");
    EXPECT_DSP_ASSERT(a.SetSpectralPeak(0, db),
                      "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
    EXPECT_DSP_ASSERT(
        a.InsertSpectralPeak(0, db),
        "SpectralPeakArray::InsertSpectralPeak:Incorrect scale in input SpectralPeak");
    EXPECT_DSP_ASSERT(a.SetSpectralPeak(1, lin),
                      "SpectralPeakArray::SetSpectralPeak:Out of bounds in peak array");
    EXPECT_DSP_ASSERT(a.InsertSpectralPeak(1, lin),
                      "SpectralPeakArray::InsertSpectralPeak:Out of bounds in peak array");
    for (int bad : {-1, 1})
        EXPECT_DSP_ASSERT(a.GetSpectralPeak(bad),
                          "SpectralPeakArray::GetSpectralPeak:Out of bounds in peak array");
    EXPECT_DSP_ASSERT(a.DeleteSpectralPeak(1),
                      "SpectralPeakArray::DeleteSpectralPeak:No spectral peak at that position");
    EXPECT_EQ(Rows(a), before);
    EXPECT_EQ(a.GetIndexArray().Size(), 1);
    EXPECT_DSP_ASSERT(SpectralPeakArray().DeleteSpectralPeak(0),
                      "SpectralPeakArray::DeleteSpectralPeak:No spectral peak at that position");
}

TEST_F(SpectralPeakArrayTest, ReadingThroughTheIndexNeedsAnUpToDateTable) {
    SpectralPeakArray a;
    a.AddSpectralPeak(Peak(100.f, 0.5f));
    a.AddSpectralPeak(Peak(200.f, 0.5f));
    a.InitIndices();
    EXPECT_EQ(a.GetIndexArray()[1], -1);
    EXPECT_DSP_ASSERT(a.GetThruIndexFreq(0),
                      "SpectralPeakArray::GetThruIndexFreq: IndexTable is not up to date");
    EXPECT_DSP_ASSERT(a.GetPositionFromIndex(0),
                      "SpectralPeakArray::GetPositionFromIndex: Index table is not up to date");
    EXPECT_DSP_ASSERT(a.GetMaxMagIndex(),
                      "SpectralPeakArray::GetMaxMagPosition: IndexTable is not up to date");
    a.ResetIndices();
    EXPECT_EQ(a.GetThruIndexFreq(0), 100.f);
    EXPECT_DSP_ASSERT(a.SetThruIndexBinPos(2, 1.0),
                      "SpectralPeakArray::SetThruIndexBinPos: Out of bounds in Index Array");
    EXPECT_DSP_ASSERT(a.GetThruIndexMag(-1),
                      "SpectralPeakArray::GetThruIndexMag: Out of bounds in Index Array");
}

TEST_F(SpectralPeakArrayTest, IndexTableMapsEntriesToPeakPositions) {
    SpectralPeakArray a;
    for (float f : {100.f, 200.f, 300.f, 400.f})
        a.AddSpectralPeak(Peak(f, f / 1000.f));
    a.ResetIndices();
    a.DeleteIndex(1);
    a.DeleteIndex(7); // no such entry: nothing happens
    EXPECT_EQ(a.GetnIndexedPeaks(), 3);
    EXPECT_EQ(a.GetPositionFromIndex(2), 1);
    EXPECT_EQ(a.GetPositionFromIndex(1), -1);
    EXPECT_EQ(a.GetThruIndexFreq(1), 300.f);
    a.SetThruIndexMag(1, 0.125);
    a.SetThruIndexBinWidth(1, 5);
    EXPECT_EQ(a.GetMag(2), 0.125f);
    EXPECT_EQ(a.GetBinWidth(2), 5);
    EXPECT_EQ(a.GetThruIndexSpectralPeak(2).GetFreq(), 400.f);
    // Entry 2 names the loudest peak (400 Hz, magnitude 0.4).
    EXPECT_EQ(a.GetMaxMagIndex(), 2);
}

TEST_F(SpectralPeakArrayTest, InvalidIndexEntriesAreFoundAndNeverReadThrough) {
    SpectralPeakArray a;
    for (float f : {100.f, 200.f, 300.f})
        a.AddSpectralPeak(Peak(f, 1.f));
    a.ResetIndices();
    a.GetIndexArray()[1] = -1;
    EXPECT_EQ(a.GetnIndexedPeaks(), 2);
    EXPECT_EQ(a.GetFirstNonValidIndexPosition(0), 1);
    EXPECT_EQ(a.GetFirstNonValidIndexPosition(2), -1);
    EXPECT_DSP_ASSERT(a.GetFirstNonValidIndexPosition(3),
                      "SpectralPeakArray::SetThruIndexFreq: Out of bounds in Index Array");
    EXPECT_DSP_ASSERT(a.GetThruIndexPhase(1),
                      "SpectralPeakArray::GetThruIndexPhase: Index Array entry names no peak");
    a.SetIndicesTo(2);
    EXPECT_EQ(a.GetIndexArray()[0], 2);
    EXPECT_EQ(a.GetThruIndexFreq(0), 300.f);
}

TEST_F(SpectralPeakArrayTest, MaximumIsTheFirstOfEqualMagnitudes) {
    SpectralPeakArray a;
    EXPECT_EQ(a.GetMaxMagPos(), 0);
    for (float m : {0.1f, 0.7f, 0.3f, 0.7f})
        a.AddSpectralPeak(Peak(100.f, m));
    EXPECT_EQ(a.GetMaxMagPos(), 1);
    a.ResetIndices();
    a.DeleteIndex(0);
    // Table {1, 2, 3}: entries 0 and 2 name equally loud peaks; the first wins.
    EXPECT_EQ(a.GetMaxMagIndex(), 0);
}

TEST_F(SpectralPeakArrayTest, DecibelConversionRoundTrips) {
    SpectralPeakArray a;
    for (float m : {1.f, 0.f, 0.5f, 2e-3f})
        a.AddSpectralPeak(Peak(100.f, m));
    a.TodB();
    EXPECT_EQ(a.GetScale().GetValue(), EScale::eLog);
    // The fast logarithm is within 2.4e-6 octaves (1.5e-5 dB) of the exact one.
    const float tolDb = 2e-5f;
    EXPECT_NEAR(a.GetMag(0), 0.f, tolDb);
    EXPECT_NEAR(a.GetMag(1), -80.f, tolDb);
    EXPECT_NEAR(a.GetMag(2), -6.0206f, tolDb);
    a.TodB(); // already dB: nothing changes
    EXPECT_NEAR(a.GetMag(1), -80.f, tolDb);
    a.ToLinear();
    a.ToLinear();
    EXPECT_EQ(a.GetScale().GetValue(), EScale::eLinear);
    // Back through the fast power: both approximations together stay within 1e-5 relative.
    const float expected[] = {1.f, 1e-4f, 0.5f, 2e-3f};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(a.GetMag(i), expected[i], expected[i] * 1e-5f) << i;
}

TEST_F(SpectralPeakArrayTest, AddingAGainShiftsEveryMagnitudeOfACopy) {
    const SpectralPeakArray a = DbList({{100, -20, 0}, {200, -30, 1}});
    const SpectralPeakArray louder = a + 6.f;
    EXPECT_EQ(Rows(louder), (std::vector<PeakRow>{{100, -14, 0}, {200, -24, 1}}));
    EXPECT_EQ(Rows(a), (std::vector<PeakRow>{{100, -20, 0}, {200, -30, 1}}));
}

TEST_F(SpectralPeakArrayTest, MergeInterleavesByFrequencyAndTrackParity) {
    const SpectralPeakArray a = DbList({{50, -10, 4}, {100, -20, 1}, {300, -20, 2}});
    const SpectralPeakArray b = DbList({{100, -30, 5}, {200, -95, 6}, {200, -40, 3}});
    const SpectralPeakArray merged = a + b;
    // 50 Hz is below the lowest frequency kept and -95 dB below the floor.
    EXPECT_EQ(
        Rows(merged),
        (std::vector<PeakRow>{
            {100, -20, 2 * 1}, {100, -30, 2 * 5 + 1}, {200, -40, 2 * 3 + 1}, {300, -20, 2 * 2}}));
    EXPECT_EQ(merged.GetScale().GetValue(), EScale::eLog);
    EXPECT_EQ(merged.GetnMaxPeaks(), a.GetnMaxPeaks() + b.GetnMaxPeaks());
    EXPECT_EQ(merged.GetBinPos(0), 0.f);
    EXPECT_EQ(merged.GetPhase(3), a.GetPhase(2));
}

TEST_F(SpectralPeakArrayTest, MergeLimitsAtTheFloorDependOnSharedFrequency) {
    // At exactly -90 dB or 80 Hz a peak is kept, unless it is this list's peak at a frequency
    // the other list shares.
    const SpectralPeakArray a = DbList({{80, -10, 0}, {150, -90, 1}, {400, -90, 2}});
    const SpectralPeakArray b = DbList({{80, -10, 0}, {150, -10, 1}, {500, -90, 2}});
    EXPECT_EQ(Rows(a + b),
              (std::vector<PeakRow>{{80, -10, 1}, {150, -10, 3}, {400, -90, 4}, {500, -90, 5}}));
}

TEST_F(SpectralPeakArrayTest, MergeKeepsAtMostTwoHundredPeaks) {
    std::vector<PeakRow> rowsA, rowsB;
    for (int i = 0; i < 150; ++i) {
        rowsA.push_back({100.f + 10.f * i, -10.f, i});
        rowsB.push_back({105.f + 10.f * i, -10.f, i});
    }
    const SpectralPeakArray merged = DbList(rowsA) + DbList(rowsB);
    ASSERT_EQ(merged.GetnPeaks(), 200);
    EXPECT_EQ(merged.GetFreq(199), 1095.f);
    EXPECT_EQ(merged.GetIndex(199), 2 * 99 + 1);
}

} // namespace
