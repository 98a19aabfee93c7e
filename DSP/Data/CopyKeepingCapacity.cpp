#include "DSP/Data/CopyKeepingCapacity.hpp"

#include "DSP/Misc/ArrayCapacity.hpp"

namespace DSP {

void CopyKeepingCapacity(const SpectralPeakArray& src, SpectralPeakArray& dst) {
    if (&src == &dst)
        return;
    dst.SetScale(src.GetScale());
    dst.SetMinimizeResizes(src.GetMinimizeResizes());
    if (dst.GetnMaxPeaks() < src.GetnMaxPeaks())
        dst.SetnMaxPeaks(src.GetnMaxPeaks());
    AssignKeepingCapacity(dst.GetMagBuffer(), src.GetMagBuffer());
    AssignKeepingCapacity(dst.GetFreqBuffer(), src.GetFreqBuffer());
    AssignKeepingCapacity(dst.GetPhaseBuffer(), src.GetPhaseBuffer());
    AssignKeepingCapacity(dst.GetBinPosBuffer(), src.GetBinPosBuffer());
    AssignKeepingCapacity(dst.GetBinWidthBuffer(), src.GetBinWidthBuffer());
    AssignKeepingCapacity<int>(dst.GetIndexArray(), src.GetIndexArray());
    dst.SetIsIndexUpToDate(src.GetIsIndexUpToDate());
}

void CopyKeepingCapacity(const Spectrum& src, Spectrum& dst) {
    if (&src == &dst)
        return;
    dst.SetScale(src.GetScale());
    dst.SetSpectralRange(src.GetSpectralRange());
    // Type first: it sizes the representations that become present to dst's current size,
    // which the following sizes then correct, all within storage that only grows.
    dst.SetType(src.GetType());
    dst.SetSize(src.GetSize());
    dst.SetBPFSize(src.GetBPFSize());
    AssignKeepingCapacity(dst.GetMagBuffer(), src.GetMagBuffer());
    AssignKeepingCapacity(dst.GetPhaseBuffer(), src.GetPhaseBuffer());
    AssignKeepingCapacity(dst.GetPolarArray(), src.GetPolarArray());
    AssignKeepingCapacity(dst.GetComplexArray(), src.GetComplexArray());
    dst.GetMagBPF() = src.GetMagBPF();
    dst.GetPhaseBPF() = src.GetPhaseBPF();
}

} // namespace DSP
