#pragma once

// Conversions between the representations of spectral bins, on plain arrays. Magnitudes, angles,
// sines and cosines use the fast approximations of FastMath, so every result carries their error
// (measured: below 1.1e-5 relative for the square root, 7e-5 absolute for sine and cosine, 5e-6 rad
// for the arc tangent); spectra converted anywhere in the library go through these same routines.

#include "DSP/Data/BPF.hpp"
#include "DSP/Data/Complex.hpp"
#include "DSP/Data/Polar.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/FastMath.hpp"

namespace DSP {

// Per-bin kernels over n bins; the arrays must hold at least n elements. Shared by the
// functions below and by Spectrum, which converts over its own bin count without resizing.
void ComplexBinsToMagPhase(const ComplexTmpl<float>* bins, float* mag, float* phase, int n);
void MagPhaseBinsToComplex(const float* mag, const float* phase, ComplexTmpl<float>* bins, int n);
void PolarBinsToMagPhase(const PolarTmpl<float>* bins, float* mag, float* phase, int n);
void MagPhaseBinsToPolar(const float* mag, const float* phase, PolarTmpl<float>* bins, int n);

// mag and phase are resized to the input's size when theirs differs.
void Complex2MagPhase(const Array<ComplexTmpl<float>>& complex, Array<float>& mag,
                      Array<float>& phase);
void Polar2MagPhase(const Array<PolarTmpl<float>>& polar, Array<float>& mag, Array<float>& phase);
// Samples both functions at size frequencies from 0 to spectralRange Hz, each with its own
// interpolation type; mag and phase are resized to size.
void BPF2MagPhase(const BPFTmpl<float, float>& magBPF, const BPFTmpl<float, float>& phaseBPF,
                  Array<float>& mag, Array<float>& phase, int size, float spectralRange);

} // namespace DSP
