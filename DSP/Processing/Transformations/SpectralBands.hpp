#pragma once

// Band limits of the short-time effects: cutoff frequencies turned into bin indices of a
// one-sided spectrum whose last bin lies at the spectral range (half the sample rate).

#include <cmath>

namespace DSP {

// The nearest bin to a fractional bin position, kept within 0 … nBins: a limit of nBins means
// "the band runs to the last bin". Negative and NaN positions give 0, positions at or beyond
// nBins (cutoffs above half the sample rate) give nBins. Ties round to even.
inline int NearestBinWithin(float binPosition, int nBins) {
    if (!(binPosition > 0.f))
        return 0;
    if (binPosition >= static_cast<float>(nBins))
        return nBins;
    return static_cast<int>(std::lrintf(binPosition));
}

// The two limits of a three-band split: the low band is bins [0, low), the middle band
// [low, high) and the high band [high, nBins). Nothing orders the two: with low > high the
// middle band is empty and the two outer bands overlap.
struct ThreeBandLimits {
    int low = 0;
    int high = 0;
};

// f = (nBins − 1) / spectralRangeHz bins per Hz; each limit is the nearest bin to f × cutoff,
// kept within the spectrum.
inline ThreeBandLimits ComputeThreeBandLimits(int nBins, float spectralRangeHz, float lowCutoffHz,
                                              float highCutoffHz) {
    const float binsPerHz = static_cast<float>(nBins - 1) / spectralRangeHz;
    return {NearestBinWithin(binsPerHz * lowCutoffHz, nBins),
            NearestBinWithin(binsPerHz * highCutoffHz, nBins)};
}

} // namespace DSP
