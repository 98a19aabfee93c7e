#include "Quorvel/Transformations/NotchBand.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Processing/Transformations/SpectralBands.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {

// Half-widths beyond this many semitones put both edges outside any spectrum already; the
// limit only keeps the conversion to int defined.
constexpr float kWidestHalfBandSemitones = 1e6f;

// Half the bandwidth truncated toward zero to whole semitones (0 for NaN).
int HalfBandSemitones(float bandwidthSemitones) {
    const float half = bandwidthSemitones * 0.5f;
    if (std::isnan(half))
        return 0;
    return static_cast<int>(std::clamp(half, -kWidestHalfBandSemitones, kWidestHalfBandSemitones));
}

// Multiplies bin k by factor if it lies inside the spectrum; the factor is a double.
void ScaleBin(Array<float>& magnitudes, int nBins, int k, double factor) {
    if (k >= 0 && k < nBins)
        magnitudes[k] = static_cast<float>(magnitudes[k] * factor);
}

} // namespace

NotchBandLimits ComputeNotchBandLimits(int nBins, float spectralRangeHz, float centreHz,
                                       float bandwidthSemitones) {
    const float binsPerHz = static_cast<float>(nBins - 1) / spectralRangeHz;
    const int h = HalfBandSemitones(bandwidthSemitones);
    const float lowEdgeHz = centreHz * frequency(static_cast<float>(-h));
    const float highEdgeHz = centreHz * frequency(static_cast<float>(h));
    NotchBandLimits limits;
    limits.lo =
        std::clamp(NearestBinWithin(lowEdgeHz * binsPerHz, nBins), 1, std::max(nBins - 2, 1));
    limits.hi =
        std::clamp(NearestBinWithin(binsPerHz * highEdgeHz, nBins), 1, std::max(nBins - 1, 1));
    return limits;
}

void ApplyNotchBand(Spectrum& spectrum, float centreHz, float bandwidthSemitones, float gainDb) {
    const int n = spectrum.GetSize();
    const NotchBandLimits limits = ComputeNotchBandLimits(n, GlobalProcessInfo::GetSpectralRange(),
                                                          centreHz, bandwidthSemitones);
    const float g = DbToLinear(gainDb);
    const double edgeOutside = 0.25 * g + 0.75;
    const double edgeInside = 0.75 * g + 0.25;

    Array<float>& magnitudes = spectrum.GetMagBuffer();
    ScaleBin(magnitudes, n, limits.lo - 1, edgeOutside);
    ScaleBin(magnitudes, n, limits.lo, edgeInside);
    for (int k = limits.lo + 1; k <= std::min(limits.hi - 2, n - 1); ++k)
        magnitudes[k] *= g;
    ScaleBin(magnitudes, n, limits.hi - 1, edgeInside);
    ScaleBin(magnitudes, n, limits.hi, edgeOutside);
    for (int k = 0; k < n; ++k)
        magnitudes[k] = FiniteOrZero(magnitudes[k]);
}

} // namespace DSP
