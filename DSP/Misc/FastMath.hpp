#pragma once

// Polynomial approximations of the elementary functions that the signal library evaluates per
// bin and per peak. Their results are part of the library's behaviour: spectra, window tables,
// FFT twiddles, gains in dB and transposition factors all carry exactly these rounding errors,
// so every constant, every single-precision step and the order of every operation here is fixed.
// Do not rewrite them "more accurately" and do not build this code with -ffast-math or with
// floating-point contraction (fused multiply-add changes the last bits).
//
// All functions are pure, thread-safe and allocation-free. The per-bin ones are inline so that
// the spectral loops pay no call.

#include <cmath>
#include <cstdint>
#include <cstring>

namespace DSP {
namespace FastMathDetail {

inline std::uint32_t FloatBits(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

inline float BitsToFloat(std::uint32_t u) {
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// The unbiased binary exponent of x (bits 23 to 30 minus 127).
inline int UnbiasedExponent(float x) {
    return static_cast<int>((FloatBits(x) >> 23) & 0xffu) - 127;
}

// The 23 mantissa bits of x as a fraction in [0, 1). The scale 1.1920929e-7f is exactly 2^-23,
// so the fraction is exact.
inline float MantissaFraction(float x) {
    return static_cast<float>(FloatBits(x) & 0x7fffffu) * 1.1920929e-7f;
}

// 2^n as the float with exponent field n + 127 and a zero mantissa; n must lie in -127 ... 128
// (-127 gives zero, 128 infinity).
inline float ExactPowerOfTwo(int n) {
    return BitsToFloat(static_cast<std::uint32_t>(n + 127) << 23);
}

// floor(e / 2) for any sign of e.
inline int FloorHalf(int e) {
    return e >= 0 ? e / 2 : -((1 - e) / 2);
}

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

// The rational arc tangent on |t| <= 1, shared by DSP_atan and DSP_atan2.
inline float AtanUnit(float t) {
    const float t2 = t * t;
    return t / (1.0f + t2 * (0.3328895f +
                             t2 * (-0.08467923f + t2 * (0.032522328f + t2 * -0.0074930587f))));
}

// The angle divided by pi, minus the nearest even integer: r in [-1, 1]. The fast path holds for
// |v| < 2048; beyond it (and for NaN) the reduction is done in double precision instead of
// truncating a wrapped-around integer, so large angles still give a proper sine.
inline bool InFastReductionRange(float v) {
    return v > -2048.0f && v < 2048.0f;
}

inline float ReduceWide(float v) {
    const double vd = v;
    return static_cast<float>(vd - 2.0 * std::floor(vd * 0.5 + 0.5));
}

} // namespace FastMathDetail
} // namespace DSP

// Fast base-2 logarithm: exponent plus a sixth-order polynomial of the mantissa fraction. The
// polynomial is summed first and the exponent added last. Returns -1e8 for x <= 0 (and NaN).
inline float DSP_log2(float x) {
    using namespace DSP::FastMathDetail;
    if (!(x > 0.0f))
        return -1e8f;
    const float f = MantissaFraction(x);
    const float poly =
        f * (1.4425449f +
             f * (-0.71814525f +
                  f * (0.45754918f + f * (-0.27790534f + f * (0.12179791f + f * -0.025841450f)))));
    return poly + static_cast<float>(UnbiasedExponent(x));
}

// Fast 2^v: 0 below -127 (and for NaN), infinity from 128 on; otherwise a fourth-order
// polynomial of the fractional part (Horner form) times the exact power of the integer part.
inline float DSP_pow2(float v) {
    using namespace DSP::FastMathDetail;
    if (!(v >= -127.0f))
        return 0.0f;
    if (v >= 128.0f)
        return HUGE_VALF;
    // The offset keeps the truncation a floor for every v >= -127; the sum is taken in double
    // precision so that values just below an integer are not rounded up onto it.
    const int n = static_cast<int>(static_cast<double>(v) + 4096.0) - 4096;
    const float r = v - static_cast<float>(n);
    const float p =
        1.0f + r * (0.69303215f + r * (0.24137977f + r * (0.05203237f + r * 0.013555747f)));
    return p * ExactPowerOfTwo(n);
}

// x^y for x > 0. For x <= 0 the result is 0 when y > 0 and 1 when y == 0 (undefined for y < 0).
inline float DSP_pow(float x, float y) {
    return DSP_pow2(DSP_log2(x) * y);
}

// Fast square root, 0 for s <= 0 (and NaN). Fourth-order polynomial of the mantissa fraction,
// sqrt(2) for an odd exponent, times 2^floor(e / 2).
inline float DSP_sqrt(float s) {
    using namespace DSP::FastMathDetail;
    if (!(s > 0.0f))
        return 0.0f;
    const int e = UnbiasedExponent(s);
    const float m = MantissaFraction(s);
    float p =
        1.0f +
        m * (0.49959805607795715f +
             m * (-0.12047307938337326f + m * (0.04585425183176994f + m * -0.01076564658433199f)));
    if (e & 1)
        p = p * 1.4142135381698608f;
    return p * ExactPowerOfTwo(FloorHalf(e));
}

// Fast sine of an angle in radians; exact range reduction for |a / pi| < 2048.
inline float DSP_sin(float a) {
    using namespace DSP::FastMathDetail;
    const float v = a * 0.31830987334251404f;
    float r;
    if (InFastReductionRange(v)) {
        // The sine path adds the offset in double precision (the cosine path does not).
        const int k = static_cast<int>(static_cast<double>(v * 0.5f) + 1024.5);
        r = v - static_cast<float>(2 * (k - 1024));
    } else {
        r = ReduceWide(v);
    }
    const float r2 = r * r;
    return r * (3.1415927410125732f +
                r2 * (-5.167319297790527f +
                      r2 * (2.546205759048462f +
                            r2 * (-0.5860270261764526f + r2 * 0.06554823368787766f))));
}

// Fast cosine of an angle in radians, through the half angle: cos(pi r) = 1 - 2 sin^2(pi r / 2).
inline float DSP_cos(float a) {
    using namespace DSP::FastMathDetail;
    const float v = a * 0.31830987334251404f;
    float r;
    if (InFastReductionRange(v)) {
        // Single-precision offset: near an odd multiple of pi, r may come out a hair below -1,
        // which the half-angle polynomial tolerates.
        const int k = static_cast<int>(v * 0.5f + 1024.5f);
        r = v - static_cast<float>(2 * (k - 1024));
    } else {
        r = ReduceWide(v);
    }
    const float r2 = r * r;
    const float h = r * (1.5707963705062866f +
                         r2 * (-0.6459640860557556f +
                               r2 * (0.079691581428051f + r2 * (-0.004676879849284887f +
                                                                r2 * 0.00015303015243262053f))));
    return 1.0f - 2.0f * (h * h);
}

// Fast arc tangent in radians.
inline float DSP_atan(float x) {
    using namespace DSP::FastMathDetail;
    if (x < -1.0f)
        return -kHalfPi + AtanUnit(-1.0f / x);
    if (x > 1.0f)
        return kHalfPi + AtanUnit(-1.0f / x);
    return 0.0f + AtanUnit(x);
}

// Fast angle of the point (x, y) in radians, in [-pi, pi]; 0 for (0, 0). A point on the negative
// real axis (y == 0, x < 0) gives -pi. Every branch keeps |t| <= 1.
inline float DSP_atan2(float y, float x) {
    using namespace DSP::FastMathDetail;
    if (x == 0.0f && y == 0.0f)
        return 0.0f;
    if (y > 0.0f) {
        if (-x >= y)
            return kPi + AtanUnit(y / x);
        if (y > x)
            return kHalfPi + AtanUnit(-x / y);
        return 0.0f + AtanUnit(y / x);
    }
    if (y >= x)
        return -kPi + AtanUnit(y / x);
    if (-x > y)
        return -kHalfPi + AtanUnit(-x / y);
    return 0.0f + AtanUnit(y / x);
}

// Frequency ratio of a transposition in semitones, 2^(semitones / 12), evaluated exactly in
// double precision and rounded once to float.
float frequency(float semitones);
