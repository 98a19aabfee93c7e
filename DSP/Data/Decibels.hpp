#pragma once

// Conversions between linear magnitudes and decibels with the fast base-2 logarithm and
// power of two. Every dB conversion of spectra and peak lists goes through these, so they
// all carry the same approximation error (measured: below 2e-5 dB for the logarithm, below
// 4e-6 relative for the power).

#include "DSP/Misc/FastMathBlock.hpp"

namespace DSP {

// Decibels per octave of amplitude: 20 * log10(2), in single precision.
constexpr float kDbPerLog2 = 6.020600318908691f;
// log10(2) in single precision (power decibels are 10 * log10(2) * log2(power)).
constexpr float kLog10Of2 = 0.3010300099849701f;
// Decibels to a base-2 exponent in two single-precision steps: ln(10) / 20, then 1 / ln(2).
constexpr float kNepersPerDb = 0.115129254758358f;
constexpr float kLog2PerNeper = 1.4426950216293335f;
// The level that stands for silence in a dB spectrum, and the linear magnitude below which a
// bin counts as silent.
constexpr float kSilenceDb = -200.f;
constexpr float kSilentMagnitude = 1e-5f;

// 20 * log10(m) with the fast logarithm; m <= 0 gives kDbPerLog2 * -1e8.
inline float LinearToDb(float magnitude) {
    return kDbPerLog2 * DSP_log2(magnitude);
}
// 10^(d / 20) with the fast power of two; 0 below about -764 dB.
inline float DbToLinear(float db) {
    return DSP_pow2(db * kNepersPerDb * kLog2PerNeper);
}
// The spectrum's conversions: silent bins map to kSilenceDb and back to exactly 0.
inline float LinearToDbWithSilence(float magnitude) {
    return magnitude < kSilentMagnitude ? kSilenceDb : LinearToDb(magnitude);
}
inline float DbToLinearWithSilence(float db) {
    return db <= kSilenceDb ? 0.f : DbToLinear(db);
}

// For k in [0, n): db[k] = LinearToDbWithSilence(magnitude[k]), over blocks of values.
inline void LinearBlockToDbWithSilence(const float* magnitude, int n, float* db) {
    ScaledLog2WithFloor(magnitude, n, kSilentMagnitude, kSilenceDb, kDbPerLog2, db);
}

} // namespace DSP
