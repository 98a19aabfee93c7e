#pragma once

// Helpers the harmonic effects share: the sizes they prepare for, the clean-up they apply to
// what they output or keep, and small accessors of the fundamental.

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"

namespace DSP {

// The peak count and bin count the harmonic effects size their work data for.
constexpr int kHarmonicMaxPeaks = 500;
constexpr int kHarmonicBins = 513;

// Capacity for n peaks in every buffer of peaks (configuration time).
void ReservePeaks(SpectralPeakArray& peaks, int n);

// The magnitude of a silent peak in the array's scale: -200 dB, or 0 when linear.
float SilentPeakMag(const SpectralPeakArray& peaks);

// Makes every value of the peaks finite: a non-finite magnitude becomes silence, a
// non-finite frequency, phase or bin position 0.
void MakePeaksFinite(SpectralPeakArray& peaks);

// Non-finite candidate frequencies become 0 Hz, non-finite errors the worst error, 100.
void MakeFundamentalFinite(Fundamental& fundamental);

// Non-finite values become 0; a complex bin with a non-finite part becomes 0 as a whole.
void MakeValuesFinite(Array<float>& values);
void MakeBinsFinite(Array<ComplexTmpl<float>>& bins);

// Non-finite magnitudes, phases and complex or polar bins become 0.
void MakeSpectrumFinite(Spectrum& spectrum);

// The members a harmonic effect writes: peaks, fundamental and residual spectrum. Each
// effect runs this on its output, so that whatever the input or the parameters, no
// non-finite value leaves it (a finite frame is not changed).
void MakeHarmonicOutputFinite(Frame& frame);

// Leaves the fundamental with one candidate, freqHz with error 0.
void SetSingleCandidate(Fundamental& fundamental, float freqHz);

// The frequency of the first candidate, 0 when there is none or when it is not finite.
float FirstCandidateFreq(const Fundamental& fundamental);

} // namespace DSP
