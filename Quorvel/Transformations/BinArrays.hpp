#pragma once

// Small helpers for the per-bin state arrays of the short-time effects.

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"

namespace DSP {

// The bin count the short-time effects size their state for at configuration: the spectra of
// the engine's 1024-point analysis. Spectra of up to this many bins never make them allocate.
constexpr int kPreparedBins = 513;

// Makes room for bins elements without changing the size or the content (configuration time).
inline void ReserveBins(Array<float>& array, int bins) {
    if (array.AllocatedSize() < bins)
        array.Resize(bins);
}

// Gives the array bins elements: existing ones are kept, new ones are 0. Allocates only when
// bins exceeds what ReserveBins made room for.
inline void SizeBins(Array<float>& array, int bins) {
    if (array.AllocatedSize() < bins)
        array.Resize(bins);
    array.SetSize(bins);
}

} // namespace DSP
