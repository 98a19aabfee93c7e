#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"

#include "DSP/Misc/FiniteOrZero.hpp"

#include <cmath>

namespace DSP {

namespace {
constexpr float kSilentDb = -200.f;
constexpr float kWorstError = 100.f;
} // namespace

void ReservePeaks(SpectralPeakArray& peaks, int n) {
    if (peaks.GetnMaxPeaks() < n) {
        const int nPeaks = peaks.GetnPeaks();
        peaks.SetnMaxPeaks(n);
        peaks.SetnPeaks(nPeaks);
    }
}

float SilentPeakMag(const SpectralPeakArray& peaks) {
    return peaks.GetScale().GetValue() == EScale::eLog ? kSilentDb : 0.f;
}

void MakePeaksFinite(SpectralPeakArray& peaks) {
    const float silent = SilentPeakMag(peaks);
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        if (!std::isfinite(peaks.GetMag(i)))
            peaks.SetMag(i, silent);
        peaks.SetFreq(i, FiniteOrZero(peaks.GetFreq(i)));
        peaks.SetPhase(i, FiniteOrZero(peaks.GetPhase(i)));
        peaks.SetBinPos(i, FiniteOrZero(peaks.GetBinPos(i)));
    }
}

void MakeFundamentalFinite(Fundamental& fundamental) {
    for (int i = 0; i < fundamental.GetnCandidates(); ++i) {
        fundamental.SetFreq(i, FiniteOrZero(fundamental.GetFreq(i)));
        if (!std::isfinite(fundamental.GetErr(i)))
            fundamental.SetErr(i, kWorstError);
    }
}

void MakeSpectrumFinite(Spectrum& spectrum) {
    for (Array<float>* buffer : {&spectrum.GetMagBuffer(), &spectrum.GetPhaseBuffer()})
        for (int k = 0; k < buffer->Size(); ++k)
            (*buffer)[k] = FiniteOrZero((*buffer)[k]);
    Array<ComplexTmpl<float>>& complex = spectrum.GetComplexArray();
    for (int k = 0; k < complex.Size(); ++k)
        if (!std::isfinite(complex[k].Real()) || !std::isfinite(complex[k].Imag()))
            complex[k] = ComplexTmpl<float>(0.f, 0.f);
    Array<PolarTmpl<float>>& polar = spectrum.GetPolarArray();
    for (int k = 0; k < polar.Size(); ++k)
        if (!std::isfinite(polar[k].Mag()) || !std::isfinite(polar[k].Ang()))
            polar[k] = PolarTmpl<float>(0.f, 0.f);
}

void MakeHarmonicOutputFinite(Frame& frame) {
    MakePeaksFinite(frame.GetSpectralPeakArray());
    MakeFundamentalFinite(frame.GetFundamental());
    MakeSpectrumFinite(frame.GetResidualSpec());
}

void SetSingleCandidate(Fundamental& fundamental, float freqHz) {
    if (fundamental.GetnMaxCandidates() < 1)
        fundamental.SetnMaxCandidates(1);
    fundamental.SetnCandidates(1);
    fundamental.SetFreq(0, freqHz);
    fundamental.SetErr(0, 0.f);
}

float FirstCandidateFreq(const Fundamental& fundamental) {
    return fundamental.GetnCandidates() > 0 ? FiniteOrZero(fundamental.GetFreq(0)) : 0.f;
}

} // namespace DSP
