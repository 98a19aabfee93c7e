#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Transformations/SpectralBands.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

#include <algorithm>

namespace DSP {

namespace {

// The crossfade between the gain below a boundary (a) and the one above it (b), for the bins
// at offsets −2 … 2 from the boundary bin; worked out in double.
double CrossfadeGain(int offset, float a, float b) {
    switch (offset) {
    case -2:
        return (2.875 * a + 0.125 * b) / 3.0;
    case -1:
        return (2.375 * a + 0.625 * b) / 3.0;
    case 0:
        return (static_cast<double>(a) + b) / 2.0;
    case 1:
        return (0.625 * a + 2.375 * b) / 3.0;
    default:
        return (0.125 * a + 2.875 * b) / 3.0;
    }
}

// Multiplies the bins [first, last] that lie inside the spectrum by gain.
void ScaleBins(Array<float>& magnitudes, int nBins, int first, int last, float gain) {
    for (int k = std::max(first, 0); k <= std::min(last, nBins - 1); ++k)
        magnitudes[k] *= gain;
}

// Multiplies the five bins around boundary by the crossfade from a to b.
void Crossfade(Array<float>& magnitudes, int nBins, int boundary, float a, float b) {
    for (int offset = -2; offset <= 2; ++offset) {
        const int k = boundary + offset;
        if (k >= 0 && k < nBins)
            magnitudes[k] = static_cast<float>(magnitudes[k] * CrossfadeGain(offset, a, b));
    }
}

} // namespace

bool ThreeBandFilter::InitControls() {
    FrameTransformationTmpl<Spectrum>::InitControls();
    mLowCutoff.DoControl(500.f);
    mHighCutoff.DoControl(3000.f);
    mLowGain.DoControl(0.f);
    mMidGain.DoControl(0.f);
    mHighGain.DoControl(0.f);
    return true;
}

bool ThreeBandFilter::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    const int n = out.GetSize();
    const ThreeBandLimits limits =
        ComputeThreeBandLimits(n, GlobalProcessInfo::GetSpectralRange(), mLowCutoff.GetLastValue(),
                               mHighCutoff.GetLastValue());
    // Each crossfade reaches two bins either side of its boundary: a boundary at 0 … 1 moves up
    // to 2 (the low crossfade then starts at bin 0), one beyond n − 3 down to n − 3.
    const int firstBoundary = 2;
    const int lastBoundary = std::max(n - 3, firstBoundary);
    const int low = std::clamp(limits.low, firstBoundary, lastBoundary);
    const int high = std::clamp(limits.high, firstBoundary, lastBoundary);

    const float a = DbToLinear(mLowGain.GetLastValue());
    const float b = DbToLinear(mMidGain.GetLastValue());
    const float c = DbToLinear(mHighGain.GetLastValue());

    // Overlapping crossfades (boundaries less than five bins apart) multiply the shared bins by
    // both.
    Array<float>& magnitudes = out.GetMagBuffer();
    ScaleBins(magnitudes, n, 0, low - 3, a);
    Crossfade(magnitudes, n, low, a, b);
    ScaleBins(magnitudes, n, low + 3, high - 3, b);
    Crossfade(magnitudes, n, high, b, c);
    ScaleBins(magnitudes, n, high + 3, n - 1, c);
    for (int k = 0; k < n; ++k)
        magnitudes[k] = FiniteOrZero(magnitudes[k]);
    return true;
}

} // namespace DSP
