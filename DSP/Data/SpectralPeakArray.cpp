#include "DSP/Data/SpectralPeakArray.hpp"

#include "DSP/Misc/Err.hpp"

#include <algorithm>

namespace DSP {

namespace {
constexpr int kNoIndex = -1;

template <typename T> void SetCapacity(Array<T>& array, int capacity) {
    if (array.AllocatedSize() != capacity)
        array.Resize(capacity);
}
} // namespace

void SpectralPeakArray::SetnMaxPeaks(int n) {
    ForEachArray([n](auto& array) {
        SetCapacity(array, n);
        array.SetStep(n);
    });
}

void SpectralPeakArray::SetnPeaks(int n) {
    if (n > GetnMaxPeaks())
        SetnMaxPeaks(n);
    ForEachArray([n](auto& array) { array.SetSize(n); });
}

SpectralPeak SpectralPeakArray::GetSpectralPeak(int i) const {
    DSP_CHECK(i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::GetSpectralPeak:Out of bounds in peak array");
    SpectralPeak peak;
    peak.SetScale(mScale);
    peak.SetFreq(mFreqBuffer[i]);
    peak.SetMag(mMagBuffer[i]);
    peak.SetBinPos(mBinPosBuffer[i]);
    peak.SetPhase(mPhaseBuffer[i]);
    peak.SetBinWidth(static_cast<int>(mBinWidthBuffer[i]));
    return peak;
}

void SpectralPeakArray::SetSpectralPeak(int i, const SpectralPeak& peak, int index) {
    DSP_CHECK(peak.GetScale().GetValue() == mScale.GetValue(),
              "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
    DSP_CHECK(i >= 0 && i < GetnPeaks(),
              "SpectralPeakArray::SetSpectralPeak:Out of bounds in peak array");
    mFreqBuffer[i] = peak.GetFreq();
    mMagBuffer[i] = peak.GetMag();
    mBinPosBuffer[i] = peak.GetBinPos();
    mPhaseBuffer[i] = peak.GetPhase();
    mBinWidthBuffer[i] = static_cast<float>(peak.GetBinWidth());
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

void SpectralPeakArray::SetIndicesTo(int value) {
    std::fill_n(mIndexArray.GetPtr(), mIndexArray.Size(), value);
    mIsIndexUpToDate = true;
}

int SpectralPeakArray::GetPositionFromIndex(int index) const {
    DSP_CHECK(mIsIndexUpToDate,
              "SpectralPeakArray::GetPositionFromIndex: Index table is not up to date");
    const int* begin = mIndexArray.GetPtr();
    const int* end = begin + mIndexArray.Size();
    const int* found = std::find(begin, end, index);
    return found == end ? kNoIndex : static_cast<int>(found - begin);
}

} // namespace DSP
