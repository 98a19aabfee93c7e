#pragma once

// The per-bin conversions between interleaved complex bins and magnitude/phase, over blocks of
// bins at once. Each result is bit for bit what the scalar reference beside it gives (the fast
// functions of FastMath.hpp, evaluated with the same single- and double-precision steps in the
// same order), so spectra do not change when a loop moves from one to the other. Blocks that
// hold an angle beyond the fast reduction range (or NaN) take the scalar reference.
//
// All functions are pure, thread-safe and allocation-free; the vector code runs on any x86-64
// and uses AVX2 where the processor has it (never fused multiply-adds).

#include "DSP/Misc/FastMath.hpp"

namespace DSP {

// The magnitude and phase of re + i·im: on the real and imaginary axes (the other part below
// 1e-6 in magnitude, this one above) the absolute value and a multiple of pi/2, elsewhere
// DSP_sqrt(re² + im²) and DSP_atan2(im, re).
inline void PolarOfBin(float re, float im, float& mag, float& phase) {
    constexpr float kAxisTolerance = 1e-6f;
    using FastMathDetail::kHalfPi;
    using FastMathDetail::kPi;
    if (std::fabs(im) < kAxisTolerance && std::fabs(re) > kAxisTolerance) {
        mag = std::fabs(re);
        phase = re < 0.0f ? kPi : 0.0f;
    } else if (std::fabs(re) < kAxisTolerance && std::fabs(im) > kAxisTolerance) {
        mag = std::fabs(im);
        phase = im < 0.0f ? -kHalfPi : kHalfPi;
    } else {
        mag = DSP_sqrt(re * re + im * im);
        phase = DSP_atan2(im, re);
    }
}

// For k in [0, n): (mag[k], phase[k]) = PolarOfBin(bins[2k], ±bins[2k + 1]), the imaginary part
// negated when negateImag is set.
void PolarFromInterleaved(const float* bins, bool negateImag, int n, float* mag, float* phase);

// For k in [0, n): bins[2k] = DSP_cos(phase[k]) · mag[k] and bins[2k + 1] =
// ±mag[k] · DSP_sin(phase[k]), the magnitude negated when negateImag is set (as the real
// inverse transform wants).
void InterleavedFromPolar(const float* mag, const float* phase, bool negateImag, int n,
                          float* bins);

// For k in [0, n): mag[k] = DSP_sqrt(re² + im²) and phase[k] = DSP_atan2(im, re) of
// (re, im) = (bins[2k], bins[2k + 1]), without the axis cases of PolarOfBin.
void MagAngleFromInterleaved(const float* bins, int n, float* mag, float* phase);

// One bin of a + sign·b for bins in magnitude and phase: each to rectangular form
// (|m| DSP_cos, |m| DSP_sin), summed, and back through DSP_sqrt and DSP_atan2.
inline void SumOfPolarBin(float magA, float phaseA, float magB, float phaseB, float sign,
                          float& mag, float& phase) {
    const float mA = std::fabs(magA);
    float re = mA * DSP_cos(phaseA);
    float im = mA * DSP_sin(phaseA);
    const float mB = sign * std::fabs(magB);
    re += mB * DSP_cos(phaseB);
    im += mB * DSP_sin(phaseB);
    const float squares = re * re + im * im;
    mag = squares > 0.f ? DSP_sqrt(squares) : 0.f;
    phase = DSP_atan2(im, re);
}

// For k in [0, n): SumOfPolarBin of the k-th bins of a and b into mag[k], phase[k].
void SumOfPolar(const float* magA, const float* phaseA, const float* magB, const float* phaseB,
                float sign, int n, float* mag, float* phase);

// One bin of a spectrum in magnitude and phase times the comb response at angle theta:
// H = ((1 + DSP_cos θ) / 2, (1 - DSP_sin θ) / 2) times Z = (mag DSP_cos φ, mag DSP_sin φ), back
// through DSP_sqrt and DSP_atan2.
inline void CombFilterBin(float theta, float mag, float phase, float& outMag, float& outPhase) {
    const float hRe = (1.f + DSP_cos(theta)) / 2.f;
    const float hIm = (1.f - DSP_sin(theta)) / 2.f;
    const float zRe = mag * DSP_cos(phase);
    const float zIm = mag * DSP_sin(phase);
    const float re = hRe * zRe - hIm * zIm;
    const float im = hRe * zIm + hIm * zRe;
    outMag = DSP_sqrt(re * re + im * im);
    outPhase = DSP_atan2(im, re);
}

// For k in [0, n): CombFilterBin at θ = float(k · radPerBin) (the product in double precision)
// of mag[k], phase[k] into outMag[k], outPhase[k]. The outputs may be the inputs themselves
// (each bin is read before it is written), but must not overlap them otherwise.
void CombFilterPolar(const float* mag, const float* phase, double radPerBin, int n, float* outMag,
                     float* outPhase);

// How far a measured frequency lies from the nearest harmonic of a trial fundamental (the
// trial itself for frequencies below it), divided by scale, times factor, minus offset.
inline float HarmonicMismatchTerm(float freq, float trialHz, float scale, float factor,
                                  float offset) {
    const float harmonic = trialHz > freq ? trialHz : trialHz * std::floor(freq / trialHz + 0.5f);
    const float d = std::fabs(freq - harmonic) / scale;
    return d * factor - offset;
}

// How far a predicted harmonic lies from its nearest measured peak, over DSP_sqrt of the
// harmonic, plus that distance weighted by freqWeight, less offset, times the peak's weight.
inline float PredictedMismatchTerm(float harmonicHz, float peakHz, float weight, float freqWeight,
                                   float offset) {
    const float d = std::fabs(peakHz - harmonicHz) / DSP_sqrt(harmonicHz);
    return d + (freqWeight * d - offset) * weight;
}

// For t in [0, nTrials): sums[t] = the sum, in rising h over h < counts[t], of
// PredictedMismatchTerm(harmonics[i], peaks[i], weights[i], freqWeight, offset) with
// i = h · stride + t (one row of trials per harmonic number), several trials at once.
void PredictedMismatchSums(const float* harmonics, const float* peaks, const float* weights,
                           const int* counts, int nTrials, int stride, float freqWeight,
                           float offset, float* sums);

// The peaks' mismatch terms against one trial fundamental, summed in rising i over the first
// count peaks; peaks below ignoreBelowHz are left out when the trial lies above
// ignoreAboveTrialHz.
inline float HarmonicMismatchSum(const float* freq, const float* scale, const float* factor,
                                 const float* offset, int count, float trialHz, float ignoreBelowHz,
                                 float ignoreAboveTrialHz) {
    float sum = 0.f;
    for (int i = 0; i < count; ++i)
        if (!(trialHz > ignoreAboveTrialHz && freq[i] < ignoreBelowHz))
            sum += HarmonicMismatchTerm(freq[i], trialHz, scale[i], factor[i], offset[i]);
    return sum;
}

// For t in [0, nTrials): sums[t] = HarmonicMismatchSum over the first counts[t] peaks for
// trials[t], several trials at once. A sum that is not a number may differ from the scalar
// one in its sign bit (which of two NaNs an addition keeps depends on the operand order).
void HarmonicMismatchSums(const float* freq, const float* scale, const float* factor,
                          const float* offset, const int* counts, const float* trials, int nTrials,
                          float ignoreBelowHz, float ignoreAboveTrialHz, float* sums);

// For k in [0, n): out[k] = x[k] < below ? floorValue : scale · DSP_log2(x[k]) (the
// logarithm first, then the product), as a conversion to decibels with a silence floor is. out
// may be x itself.
void ScaledLog2WithFloor(const float* x, int n, float below, float floorValue, float scale,
                         float* out);

namespace FastMathBlockDetail {
// The two builds of each function above, four lanes on any x86-64 and eight with AVX2 (for
// the tests; call the AVX2 ones only where Avx2Available()).
void PolarFromInterleavedSse2(const float* bins, bool negateImag, int n, float* mag, float* phase);
void PolarFromInterleavedAvx2(const float* bins, bool negateImag, int n, float* mag, float* phase);
void InterleavedFromPolarSse2(const float* mag, const float* phase, bool negateImag, int n,
                              float* bins);
void InterleavedFromPolarAvx2(const float* mag, const float* phase, bool negateImag, int n,
                              float* bins);
void MagAngleFromInterleavedSse2(const float* bins, int n, float* mag, float* phase);
void MagAngleFromInterleavedAvx2(const float* bins, int n, float* mag, float* phase);
void SumOfPolarSse2(const float* magA, const float* phaseA, const float* magB, const float* phaseB,
                    float sign, int n, float* mag, float* phase);
void SumOfPolarAvx2(const float* magA, const float* phaseA, const float* magB, const float* phaseB,
                    float sign, int n, float* mag, float* phase);
void CombFilterPolarSse2(const float* mag, const float* phase, double radPerBin, int n,
                         float* outMag, float* outPhase);
void CombFilterPolarAvx2(const float* mag, const float* phase, double radPerBin, int n,
                         float* outMag, float* outPhase);
void PredictedMismatchSumsSse2(const float* harmonics, const float* peaks, const float* weights,
                               const int* counts, int nTrials, int stride, float freqWeight,
                               float offset, float* sums);
void PredictedMismatchSumsAvx2(const float* harmonics, const float* peaks, const float* weights,
                               const int* counts, int nTrials, int stride, float freqWeight,
                               float offset, float* sums);
void HarmonicMismatchSumsSse2(const float* freq, const float* scale, const float* factor,
                              const float* offset, const int* counts, const float* trials,
                              int nTrials, float ignoreBelowHz, float ignoreAboveTrialHz,
                              float* sums);
void HarmonicMismatchSumsAvx2(const float* freq, const float* scale, const float* factor,
                              const float* offset, const int* counts, const float* trials,
                              int nTrials, float ignoreBelowHz, float ignoreAboveTrialHz,
                              float* sums);
void ScaledLog2WithFloorSse2(const float* x, int n, float below, float floorValue, float scale,
                             float* out);
void ScaledLog2WithFloorAvx2(const float* x, int n, float below, float floorValue, float scale,
                             float* out);
bool Avx2Available();
} // namespace FastMathBlockDetail

} // namespace DSP
