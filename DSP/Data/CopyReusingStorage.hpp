#pragma once

namespace DSP {

class Fundamental;
class Spectrum;
class SpectralPeakArray;

// Copies src into dst reusing dst's storage: dst grows when it is too small and never
// shrinks, so once a destination has held the largest data of a stream, copying into it
// allocates nothing. A plain assignment would instead give each array exactly the source's
// size, reallocating whenever a peak or candidate count changes. Afterwards dst reads like
// src (same sizes, scale, type, values); only the capacities may differ.
void CopyReusingStorage(SpectralPeakArray& dst, const SpectralPeakArray& src);
// The capacity (the number of candidates wanted) is copied too: it is part of the value.
void CopyReusingStorage(Fundamental& dst, const Fundamental& src);
// Copies the representations that src holds; the storage of the absent ones is left alone.
void CopyReusingStorage(Spectrum& dst, const Spectrum& src);

// Every other token type copies by assignment.
template <typename T> void CopyReusingStorage(T& dst, const T& src) {
    dst = src;
}

} // namespace DSP
