#pragma once

#include "DSP/Data/EScale.hpp"
#include "DSP/Data/SpectralPeak.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Component.hpp"
#include "DSP/Misc/IndexArray.hpp"

namespace DSP {

// The spectral peaks of one frame as six parallel arrays (magnitude, frequency in Hz, phase
// in radians, fractional bin position, bin width, index) that always share one size
// (GetnPeaks) and one capacity (GetnMaxPeaks). Magnitudes are linear or dB by GetScale.
//
// The index array holds per peak the track or partial it belongs to (-1: none). It can be
// searched (GetPositionFromIndex) only while it is marked up to date (ResetIndices,
// SetIndicesTo).
//
// Sized once at configuration (SetnMaxPeaks); SetnPeaks within the capacity never allocates.
// SetnMaxPeaks also makes every later growth jump by a whole capacity. Not synchronised.
class SpectralPeakArray : public Component {
public:
    SpectralPeakArray() = default;

    const char* GetDSPClassName() const override { return "SpectralPeakArray"; }
    SpectralPeakArray* Species() const override { return new SpectralPeakArray(); }
    SpectralPeakArray* DeepCopy() const override { return new SpectralPeakArray(*this); }
    SpectralPeakArray* ShallowCopy() const override { return new SpectralPeakArray(*this); }

    const EScale& GetScale() const { return mScale; }
    void SetScale(const EScale& scale) { mScale = scale; }
    bool GetIsIndexUpToDate() const { return mIsIndexUpToDate; }
    void SetIsIndexUpToDate(bool upToDate) { mIsIndexUpToDate = upToDate; }

    int GetnPeaks() const { return mMagBuffer.Size(); }
    int GetnMaxPeaks() const { return mMagBuffer.AllocatedSize(); }
    // Capacity n for all six arrays (peaks beyond n are dropped).
    void SetnMaxPeaks(int n);
    // n peaks, growing the capacity first when needed; new peaks are all zero.
    void SetnPeaks(int n);

    // Unchecked access by position: 0 <= i < GetnPeaks().
    float GetMag(int i) const { return mMagBuffer[i]; }
    float GetFreq(int i) const { return mFreqBuffer[i]; }
    float GetPhase(int i) const { return mPhaseBuffer[i]; }
    float GetBinPos(int i) const { return mBinPosBuffer[i]; }
    int GetBinWidth(int i) const { return static_cast<int>(mBinWidthBuffer[i]); }
    int GetIndex(int i) const { return mIndexArray[i]; }
    void SetMag(int i, float mag) { mMagBuffer[i] = mag; }
    void SetFreq(int i, float freqHz) { mFreqBuffer[i] = freqHz; }
    void SetPhase(int i, float phase) { mPhaseBuffer[i] = phase; }
    void SetBinPos(int i, float binPos) { mBinPosBuffer[i] = binPos; }
    void SetBinWidth(int i, int bins) { mBinWidthBuffer[i] = static_cast<float>(bins); }
    void SetIndex(int i, int index) { mIndexArray[i] = index; }

    Array<float>& GetMagBuffer() { return mMagBuffer; }
    const Array<float>& GetMagBuffer() const { return mMagBuffer; }
    Array<float>& GetFreqBuffer() { return mFreqBuffer; }
    const Array<float>& GetFreqBuffer() const { return mFreqBuffer; }
    Array<float>& GetPhaseBuffer() { return mPhaseBuffer; }
    const Array<float>& GetPhaseBuffer() const { return mPhaseBuffer; }
    Array<float>& GetBinPosBuffer() { return mBinPosBuffer; }
    const Array<float>& GetBinPosBuffer() const { return mBinPosBuffer; }
    Array<float>& GetBinWidthBuffer() { return mBinWidthBuffer; }
    const Array<float>& GetBinWidthBuffer() const { return mBinWidthBuffer; }
    IndexArray& GetIndexArray() { return mIndexArray; }
    const IndexArray& GetIndexArray() const { return mIndexArray; }

    // Whole peaks by position. The peak's scale must equal the array's; the flag arguments
    // are accepted for compatibility and have no effect.
    SpectralPeak GetSpectralPeak(int i) const;
    void SetSpectralPeak(int i, const SpectralPeak& peak, int index = -1);
    void AddSpectralPeak(const SpectralPeak& peak, bool addIndex = false, int index = -1);
    void InsertSpectralPeak(int i, const SpectralPeak& peak, bool insertIndex = false,
                            int index = -1);
    void DeleteSpectralPeak(int i, bool deleteIndex = false);

    // The index table.
    void ResetIndices();                       // 0, 1, 2, ... for every peak; marked up to date
    void SetIndicesTo(int value);              // value for every peak; marked up to date
    int GetPositionFromIndex(int index) const; // first entry equal to index, or -1

private:
    template <typename F> void ForEachArray(F apply) {
        apply(mMagBuffer);
        apply(mFreqBuffer);
        apply(mPhaseBuffer);
        apply(mBinPosBuffer);
        apply(mBinWidthBuffer);
        apply(mIndexArray);
    }

    EScale mScale;
    Array<float> mMagBuffer;
    Array<float> mFreqBuffer;
    Array<float> mPhaseBuffer;
    Array<float> mBinPosBuffer;
    Array<float> mBinWidthBuffer;
    IndexArray mIndexArray;
    bool mIsIndexUpToDate = false;
};

} // namespace DSP
