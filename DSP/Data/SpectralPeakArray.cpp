#include "DSP/Data/SpectralPeakArray.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Misc/Err.hpp"

#include <algorithm>
#include <string>

namespace DSP {

namespace {
constexpr int kNoIndex = -1;
// A zero magnitude is counted as this before taking its logarithm: -80 dB.
constexpr float kZeroMagnitudeFloor = 0.0001f;
// Merging keeps peaks from kMergeFloorDb and kMergeLowestFreqHz up, at most kMaxMergedPeaks.
constexpr float kMergeFloorDb = -90.f;
constexpr float kMergeLowestFreqHz = 80.f;
constexpr int kMaxMergedPeaks = 200;

std::string ThruIndexMessage(const char* operation, const char* problem) {
    return std::string("SpectralPeakArray::") + operation + problem;
}

template <typename T> void SetCapacity(Array<T>& array, int capacity) {
    if (array.AllocatedSize() != capacity)
        array.Resize(capacity);
}
} // namespace

void SpectralPeakArray::SetnMaxPeaks(int n) {
    const bool minimize = mMinimizeResizes;
    ForEachArray([n, minimize](auto& array) {
        SetCapacity(array, n);
        if (minimize)
            array.SetStep(n);
    });
}

void SpectralPeakArray::SetnPeaks(int n) {
    if (n > GetnMaxPeaks())
        SetnMaxPeaks(n);
    ForEachArray([n](auto& array) { array.SetSize(n); });
}

void SpectralPeakArray::CopyPeakTo(int i, SpectralPeak& peak) const {
    peak.SetScale(mScale);
    peak.SetFreq(mFreqBuffer[i]);
    peak.SetMag(mMagBuffer[i]);
    peak.SetBinPos(mBinPosBuffer[i]);
    peak.SetPhase(mPhaseBuffer[i]);
    peak.SetBinWidth(static_cast<int>(mBinWidthBuffer[i]));
}

void SpectralPeakArray::WritePeak(int i, const SpectralPeak& peak) {
    mFreqBuffer[i] = peak.GetFreq();
    mMagBuffer[i] = peak.GetMag();
    mBinPosBuffer[i] = peak.GetBinPos();
    mPhaseBuffer[i] = peak.GetPhase();
    mBinWidthBuffer[i] = static_cast<float>(peak.GetBinWidth());
}

SpectralPeak SpectralPeakArray::GetSpectralPeak(int i) const {
    DSP_CHECK(i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::GetSpectralPeak:Out of bounds in peak array");
    SpectralPeak peak;
    CopyPeakTo(i, peak);
    return peak;
}

void SpectralPeakArray::SetSpectralPeak(int i, const SpectralPeak& peak, int index) {
    DSP_CHECK(peak.GetScale().GetValue() == mScale.GetValue(),
              "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
    DSP_CHECK(i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::SetSpectralPeak:Out of bounds in peak array");
    WritePeak(i, peak);
    mIndexArray[i] = index;
}

void SpectralPeakArray::AddSpectralPeak(const SpectralPeak& peak, bool, int index) {
    DSP_CHECK(peak.GetScale().GetValue() == mScale.GetValue(),
              "SpectralPeakArray::AddSpectralPeak:Incorrect scale in input SpectralPeak");
    mFreqBuffer.AddElem(peak.GetFreq());
    mMagBuffer.AddElem(peak.GetMag());
    mBinPosBuffer.AddElem(peak.GetBinPos());
    mPhaseBuffer.AddElem(peak.GetPhase());
    mBinWidthBuffer.AddElem(static_cast<float>(peak.GetBinWidth()));
    mIndexArray.AddElem(index);
}

void SpectralPeakArray::InsertSpectralPeak(int i, const SpectralPeak& peak, bool, int index) {
    DSP_CHECK(peak.GetScale().GetValue() == mScale.GetValue(),
              "SpectralPeakArray::InsertSpectralPeak:Incorrect scale in input SpectralPeak");
    DSP_CHECK(i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::InsertSpectralPeak:Out of bounds in peak array");
    mFreqBuffer.InsertElem(i, peak.GetFreq());
    mMagBuffer.InsertElem(i, peak.GetMag());
    mBinPosBuffer.InsertElem(i, peak.GetBinPos());
    mPhaseBuffer.InsertElem(i, peak.GetPhase());
    mBinWidthBuffer.InsertElem(i, static_cast<float>(peak.GetBinWidth()));
    mIndexArray.InsertElem(i, index);
}

void SpectralPeakArray::DeleteSpectralPeak(int i, bool) {
    DSP_CHECK(GetnPeaks() > 0 && i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::DeleteSpectralPeak:No spectral peak at that position");
    ForEachArray([i](auto& array) { array.DeleteElem(i); });
}

void SpectralPeakArray::ResetIndices() {
    SetCapacity(mIndexArray, GetnMaxPeaks());
    mIndexArray.SetSize(GetnPeaks());
    mIndexArray.Reset();
    mIsIndexUpToDate = true;
}

void SpectralPeakArray::InitIndices() {
    SetCapacity(mIndexArray, GetnMaxPeaks());
    mIndexArray.SetSize(GetnPeaks());
    std::fill_n(mIndexArray.GetPtr(), mIndexArray.Size(), kNoIndex);
    mIsIndexUpToDate = false;
}

void SpectralPeakArray::SetIndicesTo(int value) {
    std::fill_n(mIndexArray.GetPtr(), mIndexArray.Size(), value);
    mIsIndexUpToDate = true;
}

void SpectralPeakArray::AddIndex(int index) {
    mIndexArray.AddElem(index);
}

void SpectralPeakArray::DeleteIndex(int index) {
    const int position = GetPositionFromIndex(index);
    if (position >= 0)
        mIndexArray.DeleteElem(position);
}

int SpectralPeakArray::GetPositionFromIndex(int index) const {
    DSP_CHECK(mIsIndexUpToDate,
              "SpectralPeakArray::GetPositionFromIndex: Index table is not up to date");
    const int* begin = mIndexArray.GetPtr();
    const int* end = begin + mIndexArray.Size();
    const int* found = std::find(begin, end, index);
    return found == end ? kNoIndex : static_cast<int>(found - begin);
}

int SpectralPeakArray::GetFirstNonValidIndexPosition(int begin) const {
    DSP_CHECK(begin >= 0 && begin < mIndexArray.Size(),
              "SpectralPeakArray::SetThruIndexFreq: Out of bounds in Index Array");
    for (int i = begin; i < mIndexArray.Size(); ++i)
        if (mIndexArray[i] == kNoIndex)
            return i;
    return kNoIndex;
}

int SpectralPeakArray::GetnIndexedPeaks() const {
    const int* begin = mIndexArray.GetPtr();
    return static_cast<int>(mIndexArray.Size() -
                            std::count(begin, begin + mIndexArray.Size(), kNoIndex));
}

int SpectralPeakArray::PositionThruIndex(int i, const char* operation) const {
    DSP_CHECK(mIsIndexUpToDate, ThruIndexMessage(operation, ": IndexTable is not up to date"));
    DSP_CHECK(i >= 0 && i < mIndexArray.Size(),
              ThruIndexMessage(operation, ": Out of bounds in Index Array"));
    // An entry of -1 (or one left over from removed peaks) names no peak; reading through it
    // would read outside the peak arrays.
    const int position = mIndexArray[i];
    DSP_CHECK(position >= 0 && position < GetnPeaks(),
              ThruIndexMessage(operation, ": Index Array entry names no peak"));
    return position;
}

float SpectralPeakArray::GetThruIndexFreq(int i) const {
    return mFreqBuffer[PositionThruIndex(i, "GetThruIndexFreq")];
}

float SpectralPeakArray::GetThruIndexMag(int i) const {
    return mMagBuffer[PositionThruIndex(i, "GetThruIndexMag")];
}

float SpectralPeakArray::GetThruIndexPhase(int i) const {
    return mPhaseBuffer[PositionThruIndex(i, "GetThruIndexPhase")];
}

float SpectralPeakArray::GetThruIndexBinPos(int i) const {
    return mBinPosBuffer[PositionThruIndex(i, "GetThruIndexBinPos")];
}

int SpectralPeakArray::GetThruIndexBinWidth(int i) const {
    return static_cast<int>(mBinWidthBuffer[PositionThruIndex(i, "GetThruIndexBinWidth")]);
}

SpectralPeak SpectralPeakArray::GetThruIndexSpectralPeak(int i) const {
    SpectralPeak peak;
    CopyPeakTo(PositionThruIndex(i, "GetThruIndexSpectralPeak"), peak);
    return peak;
}

void SpectralPeakArray::SetThruIndexFreq(int i, double freqHz) {
    mFreqBuffer[PositionThruIndex(i, "SetThruIndexFreq")] = static_cast<float>(freqHz);
}

void SpectralPeakArray::SetThruIndexMag(int i, double mag) {
    mMagBuffer[PositionThruIndex(i, "SetThruIndexMag")] = static_cast<float>(mag);
}

void SpectralPeakArray::SetThruIndexPhase(int i, double phase) {
    mPhaseBuffer[PositionThruIndex(i, "SetThruIndexPhase")] = static_cast<float>(phase);
}

void SpectralPeakArray::SetThruIndexBinPos(int i, double binPos) {
    mBinPosBuffer[PositionThruIndex(i, "SetThruIndexBinPos")] = static_cast<float>(binPos);
}

void SpectralPeakArray::SetThruIndexBinWidth(int i, int bins) {
    mBinWidthBuffer[PositionThruIndex(i, "SetThruIndexBinWidth")] = static_cast<float>(bins);
}

void SpectralPeakArray::SetThruIndexSpectralPeak(int i, const SpectralPeak& peak) {
    WritePeak(PositionThruIndex(i, "SetThruIndexSpectralPeak"), peak);
}

int SpectralPeakArray::GetMaxMagPos() const {
    int best = 0;
    for (int i = 1; i < GetnPeaks(); ++i)
        if (mMagBuffer[i] > mMagBuffer[best])
            best = i;
    return best;
}

int SpectralPeakArray::GetMaxMagIndex() const {
    DSP_CHECK(mIsIndexUpToDate,
              "SpectralPeakArray::GetMaxMagPosition: IndexTable is not up to date");
    // Entries that name no peak (-1) are passed over.
    int best = -1;
    for (int k = 0; k < mIndexArray.Size(); ++k) {
        const int position = mIndexArray[k];
        if (position < 0 || position >= GetnPeaks())
            continue;
        if (best < 0 || mMagBuffer[position] > mMagBuffer[mIndexArray[best]])
            best = k;
    }
    return std::max(best, 0);
}

void SpectralPeakArray::TodB() {
    if (mScale.GetValue() != EScale::eLinear)
        return;
    for (int i = 0; i < GetnPeaks(); ++i) {
        const float mag = mMagBuffer[i] == 0.f ? kZeroMagnitudeFloor : mMagBuffer[i];
        mMagBuffer[i] = LinearToDb(mag);
    }
    mScale.SetValue(EScale::eLog);
}

void SpectralPeakArray::ToLinear() {
    if (mScale.GetValue() != EScale::eLog)
        return;
    for (int i = 0; i < GetnPeaks(); ++i)
        mMagBuffer[i] = DbToLinear(mMagBuffer[i]);
    mScale.SetValue(EScale::eLinear);
}

SpectralPeakArray SpectralPeakArray::operator+(float gain) const {
    SpectralPeakArray result(*this);
    for (int i = 0; i < result.GetnPeaks(); ++i)
        result.mMagBuffer[i] += gain;
    return result;
}

// Both lists are walked in ascending frequency. Peaks below -90 dB or 80 Hz are dropped (at
// exactly those limits a peak of this list that shares its frequency with one of the other is
// dropped too). Track ids are interleaved so the two lists' tracks stay apart: 2 * id for this
// list, 2 * id + 1 for the other. Bin positions and widths are not carried over.
SpectralPeakArray SpectralPeakArray::operator+(const SpectralPeakArray& other) const {
    const SpectralPeakArray& a = *this;
    const SpectralPeakArray& b = other;
    SpectralPeakArray result;
    result.SetScale(b.GetScale());
    const int capacity = a.GetnMaxPeaks() + b.GetnMaxPeaks();
    result.SetnMaxPeaks(capacity);
    result.SetnPeaks(capacity);

    int k = 0;
    auto take = [&result, &k](const SpectralPeakArray& from, int i, int mergedIndex) {
        result.mMagBuffer[k] = from.mMagBuffer[i];
        result.mFreqBuffer[k] = from.mFreqBuffer[i];
        result.mPhaseBuffer[k] = from.mPhaseBuffer[i];
        result.mIndexArray[k] = mergedIndex;
        ++k;
    };
    auto audible = [](const SpectralPeakArray& from, int i) {
        return from.mMagBuffer[i] >= kMergeFloorDb && from.mFreqBuffer[i] >= kMergeLowestFreqHz;
    };
    auto takeFromA = [&](int i) {
        if (audible(a, i))
            take(a, i, 2 * a.mIndexArray[i]);
    };
    auto takeFromB = [&](int j) {
        if (audible(b, j))
            take(b, j, 2 * b.mIndexArray[j] + 1);
    };

    int i = 0;
    int j = 0;
    while (i < a.GetnPeaks() && j < b.GetnPeaks()) {
        if (a.mFreqBuffer[i] < b.mFreqBuffer[j]) {
            takeFromA(i++);
        } else if (a.mFreqBuffer[i] > b.mFreqBuffer[j]) {
            takeFromB(j++);
        } else {
            if (a.mMagBuffer[i] > kMergeFloorDb && a.mFreqBuffer[i] > kMergeLowestFreqHz)
                take(a, i, 2 * a.mIndexArray[i]);
            takeFromB(j);
            ++i;
            ++j;
        }
    }
    while (i < a.GetnPeaks())
        takeFromA(i++);
    while (j < b.GetnPeaks())
        takeFromB(j++);

    result.SetnPeaks(std::min(k, kMaxMergedPeaks));
    return result;
}

} // namespace DSP
