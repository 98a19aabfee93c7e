#pragma once

// The band operation of the peak/notch programs: one band of a linear magnitude spectrum,
// given by its centre frequency and its width in semitones, scaled by a gain in dB, with a
// two-bin transition at each edge.

#include "DSP/Data/Spectrum.hpp"

namespace DSP {

// The edge bins of a band: lo within 1 … n − 2 and hi within 1 … n − 1 (for n ≥ 3).
struct NotchBandLimits {
    int lo = 1;
    int hi = 1;
};

// The edges lie h = trunc(bandwidth / 2) whole semitones below and above centreHz, each at
// its nearest bin (f = (nBins − 1) / spectralRangeHz bins per Hz). A NaN centre or width, or an
// edge outside the spectrum, ends on the nearest allowed bin.
NotchBandLimits ComputeNotchBandLimits(int nBins, float spectralRangeHz, float centreHz,
                                       float bandwidthSemitones);

// Multiplies spectrum's magnitudes (the first GetSize() bins): bins lo + 1 … hi − 2 by the
// gain g (0 below about −764 dB), bins lo and hi − 1 by 0.75·g + 0.25, bins lo − 1 and hi by
// 0.25·g + 0.75; where a narrow band makes these overlap the factors compound. A magnitude
// that is not finite afterwards becomes 0. Reads the spectral range from GlobalProcessInfo;
// never allocates.
void ApplyNotchBand(Spectrum& spectrum, float centreHz, float bandwidthSemitones, float gainDb);

} // namespace DSP
