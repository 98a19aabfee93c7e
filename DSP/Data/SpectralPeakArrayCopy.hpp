#pragma once

#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"

#include <algorithm>

namespace DSP {

// Copies of peak arrays that objects keep from one frame to the next. Unlike the assignment
// of SpectralPeakArray (whose arrays reallocate whenever the sizes differ), these write into
// the storage dst already has: with enough capacity they never touch the heap.

namespace PeakArrayCopyDetail {
template <class T> void CopyInto(const Array<T>& src, Array<T>& dst) {
    if (dst.AllocatedSize() < src.Size())
        dst.Resize(src.Size());
    dst.SetSize(src.Size());
    std::copy(src.GetPtr(), src.GetPtr() + src.Size(), dst.GetPtr());
}
} // namespace PeakArrayCopyDetail

// dst becomes a copy of src: its peaks, index table, scale and index-up-to-date mark. The
// capacity grows only when src holds more peaks than dst can.
inline void CopyPeaks(const SpectralPeakArray& src, SpectralPeakArray& dst) {
    using PeakArrayCopyDetail::CopyInto;
    if (&src == &dst)
        return;
    if (dst.GetnMaxPeaks() < src.GetnPeaks())
        dst.SetnMaxPeaks(src.GetnPeaks());
    CopyInto(src.GetMagBuffer(), dst.GetMagBuffer());
    CopyInto(src.GetFreqBuffer(), dst.GetFreqBuffer());
    CopyInto(src.GetPhaseBuffer(), dst.GetPhaseBuffer());
    CopyInto(src.GetBinPosBuffer(), dst.GetBinPosBuffer());
    CopyInto(src.GetBinWidthBuffer(), dst.GetBinWidthBuffer());
    CopyInto<int>(src.GetIndexArray(), dst.GetIndexArray());
    dst.SetScale(src.GetScale());
    dst.SetIsIndexUpToDate(src.GetIsIndexUpToDate());
}

// Replaces every non-finite magnitude, frequency, phase and bin position by 0, so that a peak
// array kept as state cannot carry a NaN or an infinity into the next frame.
inline void ZeroNonFinitePeakValues(SpectralPeakArray& peaks) {
    for (Array<float>* values : {&peaks.GetMagBuffer(), &peaks.GetFreqBuffer(),
                                 &peaks.GetPhaseBuffer(), &peaks.GetBinPosBuffer()}) {
        float* v = values->GetPtr();
        for (int i = 0; i < values->Size(); ++i)
            v[i] = FiniteOrZero(v[i]);
    }
}

} // namespace DSP
