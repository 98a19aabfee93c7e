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
// The index array holds per peak the track or partial it belongs to (-1: none). It is
// readable through the "ThruIndex" accessors only while it is marked up to date
// (ResetIndices, SetIndicesTo); InitIndices clears the mark.
//
// Sized once at configuration (SetnMaxPeaks); SetnPeaks within the capacity never allocates.
// While minimize-resizes is set, SetnMaxPeaks also makes every later growth jump by a whole
// capacity. Not synchronised.
class SpectralPeakArray : public Component {
public:
    SpectralPeakArray() = default;

    const char* GetDSPClassName() const override { return "SpectralPeakArray"; }
    SpectralPeakArray* Species() const override { return new SpectralPeakArray(); }
    SpectralPeakArray* DeepCopy() const override { return new SpectralPeakArray(*this); }
    SpectralPeakArray* ShallowCopy() const override { return new SpectralPeakArray(*this); }

    const EScale& GetScale() const { return mScale; }
    void SetScale(const EScale& scale) { mScale = scale; }
    bool GetMinimizeResizes() const { return mMinimizeResizes; }
    void SetMinimizeResizes(bool minimize) { mMinimizeResizes = minimize; }
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
    void ResetIndices();          // 0, 1, 2, ... for every peak; marked up to date
    void InitIndices();           // -1 for every peak; marked not up to date
    void SetIndicesTo(int value); // value for every peak; marked up to date
    void AddIndex(int index);     // appends an entry (the table may then outgrow the peaks)
    void DeleteIndex(int index);  // removes the entry equal to index, if any
    int GetPositionFromIndex(int index) const;          // first entry equal to index, or -1
    int GetFirstNonValidIndexPosition(int begin) const; // first -1 entry from begin, or -1
    int GetnIndexedPeaks() const;                       // entries that are not -1

    // Peak data through the index table: entry i names the peak position.
    float GetThruIndexFreq(int i) const;
    float GetThruIndexMag(int i) const;
    float GetThruIndexPhase(int i) const;
    float GetThruIndexBinPos(int i) const;
    int GetThruIndexBinWidth(int i) const;
    SpectralPeak GetThruIndexSpectralPeak(int i) const;
    void SetThruIndexFreq(int i, double freqHz);
    void SetThruIndexMag(int i, double mag);
    void SetThruIndexPhase(int i, double phase);
    void SetThruIndexBinPos(int i, double binPos);
    void SetThruIndexBinWidth(int i, int bins);
    void SetThruIndexSpectralPeak(int i, const SpectralPeak& peak);

    // Position of the largest magnitude, the first on ties (0 for at most one peak).
    int GetMaxMagPos() const;
    int GetMaxMagPosition() const { return GetMaxMagPos(); }
    // Position within the index table of the entry whose peak is loudest (first on ties).
    int GetMaxMagIndex() const;

    // Linear to dB (a zero magnitude counts as 0.0001, i.e. -80 dB) and back.
    void TodB();
    void ToLinear();

    // A copy with gain added to every magnitude (a gain in dB on a dB array).
    SpectralPeakArray operator+(float gain) const;
    // Merges two frequency-sorted dB peak lists (see the source for the rules).
    SpectralPeakArray operator+(const SpectralPeakArray& other) const;

private:
    template <typename F> void ForEachArray(F apply) {
        apply(mMagBuffer);
        apply(mFreqBuffer);
        apply(mPhaseBuffer);
        apply(mBinPosBuffer);
        apply(mBinWidthBuffer);
        apply(mIndexArray);
    }
    void CopyPeakTo(int i, SpectralPeak& peak) const;
    void WritePeak(int i, const SpectralPeak& peak);
    // The peak position that index-table entry i names, after checking the table.
    int PositionThruIndex(int i, const char* operation) const;

    EScale mScale;
    Array<float> mMagBuffer;
    Array<float> mFreqBuffer;
    Array<float> mPhaseBuffer;
    Array<float> mBinPosBuffer;
    Array<float> mBinWidthBuffer;
    IndexArray mIndexArray;
    bool mMinimizeResizes = true;
    bool mIsIndexUpToDate = false;
};

} // namespace DSP
