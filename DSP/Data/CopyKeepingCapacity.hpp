#pragma once

#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"

namespace DSP {

// Copies for the render path. Copy assignment gives every array of the target exactly the
// source's size as its capacity, so it reallocates whenever two frames differ in size; these
// copy the same content into the storage the target already has and grow it only when it is
// too small. Once a target has held a copy of a given size, copies up to that size never
// touch the heap. src and dst may be the same object (nothing happens).

// dst gets src's peaks (all six arrays), scale and index state. Its capacity grows to src's
// capacity when smaller and is otherwise kept, so GetnMaxPeaks() may exceed src's.
void CopyKeepingCapacity(const SpectralPeakArray& src, SpectralPeakArray& dst);

// dst gets what a copy assignment gives it: scale, spectral range, type, sizes, every
// representation (absent ones included) and both break-point functions.
void CopyKeepingCapacity(const Spectrum& src, Spectrum& dst);

} // namespace DSP
