#include "DSP/Data/CopyReusingStorage.hpp"

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"

#include <algorithm>

namespace DSP {

namespace {

// Makes dst hold src's elements, growing dst's capacity only when src does not fit.
template <typename T> void CopyElements(Array<T>& dst, const Array<T>& src) {
    const int n = src.Size();
    if (dst.AllocatedSize() < n)
        dst.Resize(n);
    dst.SetSize(n);
    std::copy(src.GetPtr(), src.GetPtr() + n, dst.GetPtr());
}

} // namespace

void CopyReusingStorage(SpectralPeakArray& dst, const SpectralPeakArray& src) {
    if (&dst == &src)
        return;
    // The six arrays share one capacity; grow them together to the source's.
    if (dst.GetnMaxPeaks() < src.GetnPeaks() || dst.GetnMaxPeaks() < src.GetIndexArray().Size())
        dst.SetnMaxPeaks(std::max(src.GetnMaxPeaks(), src.GetIndexArray().Size()));
    dst.SetScale(src.GetScale());
    dst.SetIsIndexUpToDate(src.GetIsIndexUpToDate());
    CopyElements(dst.GetMagBuffer(), src.GetMagBuffer());
    CopyElements(dst.GetFreqBuffer(), src.GetFreqBuffer());
    CopyElements(dst.GetPhaseBuffer(), src.GetPhaseBuffer());
    CopyElements(dst.GetBinPosBuffer(), src.GetBinPosBuffer());
    CopyElements(dst.GetBinWidthBuffer(), src.GetBinWidthBuffer());
    CopyElements<int>(dst.GetIndexArray(), src.GetIndexArray());
}

void CopyReusingStorage(Fundamental& dst, const Fundamental& src) {
    if (&dst == &src)
        return;
    if (dst.GetnMaxCandidates() != src.GetnMaxCandidates())
        dst.SetnMaxCandidates(src.GetnMaxCandidates());
    CopyElements(dst.GetCandidatesFreq(), src.GetCandidatesFreq());
    CopyElements(dst.GetCandidatesErr(), src.GetCandidatesErr());
}

void CopyReusingStorage(Spectrum& dst, const Spectrum& src) {
    if (&dst == &src)
        return;
    // Sizing a spectrum only ever grows its storage, so sizing dst like src reallocates only
    // when src has more bins (or points) than dst has ever held.
    const SpecTypeFlags& type = src.GetType();
    dst.SetType(type);
    dst.SetSize(src.GetSize());
    dst.SetScale(src.GetScale());
    dst.SetSpectralRange(src.GetSpectralRange());
    if (type.IsSetFlag(SpecTypeFlags::eMagPhase)) {
        CopyElements(dst.GetMagBuffer(), src.GetMagBuffer());
        CopyElements(dst.GetPhaseBuffer(), src.GetPhaseBuffer());
    }
    if (type.IsSetFlag(SpecTypeFlags::ePolar))
        CopyElements(dst.GetPolarArray(), src.GetPolarArray());
    if (type.IsSetFlag(SpecTypeFlags::eComplex))
        CopyElements(dst.GetComplexArray(), src.GetComplexArray());
    if (type.IsSetFlag(SpecTypeFlags::eMagPhaseBPF)) {
        dst.SetBPFSize(src.GetBPFSize());
        dst.GetMagBPF() = src.GetMagBPF();
        dst.GetPhaseBPF() = src.GetPhaseBPF();
    }
}

} // namespace DSP
