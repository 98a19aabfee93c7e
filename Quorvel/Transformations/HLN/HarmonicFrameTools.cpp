#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"

#include "DSP/Misc/FiniteOrZero.hpp"

#include <cmath>
#include <limits>

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

namespace {
// std::isfinite as a plain comparison, so that the loops below run on whole vectors.
inline bool Finite(float x) {
    return std::fabs(x) <= std::numeric_limits<float>::max();
}

// Zeroes every element whose two values are not both finite; the pairs lie side by side.
template <class Pair> void ZeroNonFinitePairs(Array<Pair>& pairs) {
    static_assert(sizeof(Pair) == 2 * sizeof(float), "a pair of floats");
    float* v = reinterpret_cast<float*>(pairs.GetPtr());
    const int n = pairs.Size();
    for (int k = 0; k < n; ++k) {
        const bool finite = Finite(v[2 * k]) && Finite(v[2 * k + 1]);
        v[2 * k] = finite ? v[2 * k] : 0.f;
        v[2 * k + 1] = finite ? v[2 * k + 1] : 0.f;
    }
}
} // namespace

void MakeValuesFinite(Array<float>& values) {
    float* v = values.GetPtr();
    const int n = values.Size();
    for (int k = 0; k < n; ++k)
        v[k] = Finite(v[k]) ? v[k] : 0.f;
}

void MakeBinsFinite(Array<ComplexTmpl<float>>& bins) {
    ZeroNonFinitePairs(bins);
}

void MakeSpectrumFinite(Spectrum& spectrum) {
    MakeValuesFinite(spectrum.GetMagBuffer());
    MakeValuesFinite(spectrum.GetPhaseBuffer());
    ZeroNonFinitePairs(spectrum.GetComplexArray());
    ZeroNonFinitePairs(spectrum.GetPolarArray());
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
