#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"

#include "DSP/Misc/FiniteOrZero.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
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

// Zeroes every element whose two values are not both finite; the pairs lie side by side. The
// test is on the bits (an exponent of all ones is an infinity or a NaN) and the zeroing is a
// mask, so that the loop runs on vectors; a zeroed pair is +0, as 0.f would give.
template <class Pair> void ZeroNonFinitePairs(Array<Pair>& pairs) {
    static_assert(sizeof(Pair) == 2 * sizeof(std::uint32_t), "a pair of floats");
    const int n = pairs.Size();
    auto* bytes = reinterpret_cast<unsigned char*>(pairs.GetPtr());
    constexpr std::uint32_t kExponent = 0x7f800000u;
    for (int k = 0; k < n; ++k) {
        std::uint32_t re, im;
        std::memcpy(&re, bytes + 8 * k, 4);
        std::memcpy(&im, bytes + 8 * k + 4, 4);
        const std::uint32_t keep =
            0u - std::uint32_t(((re & kExponent) != kExponent) & ((im & kExponent) != kExponent));
        re &= keep;
        im &= keep;
        std::memcpy(bytes + 8 * k, &re, 4);
        std::memcpy(bytes + 8 * k + 4, &im, 4);
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
