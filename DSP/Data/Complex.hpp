#pragma once

#include "DSP/Misc/FastMath.hpp"

namespace DSP {

/// A complex number stored as real then imaginary part (the layout of a complex spectrum bin).
/// Magnitude, angle and the conversion from polar form use the library's fast approximations,
/// so they carry their small errors (relative 1.1e-5 for the magnitude, 4.5e-6 rad for the
/// angle). Instantiated for float.
template <class T> class ComplexTmpl {
public:
    ComplexTmpl() = default;
    ComplexTmpl(T re, T im) : mRe(re), mIm(im) {}

    /// Becomes the real number re (imaginary part zero).
    ComplexTmpl& operator=(T re) {
        mRe = re;
        mIm = 0;
        return *this;
    }

    T Real() const { return mRe; }
    T Imag() const { return mIm; }
    void SetReal(T re) { mRe = re; }
    void SetImag(T im) { mIm = im; }

    /// re^2 + im^2, exactly as computed in T.
    T SquaredMag() const { return mRe * mRe + mIm * mIm; }
    /// Fast magnitude; 0 when the squared magnitude is not positive.
    T Mag() const { return DSP_sqrt(SquaredMag()); }
    /// Fast angle in [-pi, pi]; 0 for 0 + 0i, -pi on the negative real axis.
    T Ang() const { return DSP_atan2(mIm, mRe); }

    /// Sets this number from a polar pair (magnitude, angle in radians), with the fast cosine
    /// and sine.
    void ToPolar(T magnitude, T angle) {
        mRe = magnitude * DSP_cos(angle);
        mIm = magnitude * DSP_sin(angle);
    }

    ComplexTmpl operator+(const ComplexTmpl& b) const { return {mRe + b.mRe, mIm + b.mIm}; }
    ComplexTmpl operator-(const ComplexTmpl& b) const { return {mRe - b.mRe, mIm - b.mIm}; }
    ComplexTmpl& operator+=(const ComplexTmpl& b) {
        mRe += b.mRe;
        mIm += b.mIm;
        return *this;
    }
    ComplexTmpl& operator-=(const ComplexTmpl& b) {
        mRe -= b.mRe;
        mIm -= b.mIm;
        return *this;
    }
    ComplexTmpl operator*(const ComplexTmpl& b) const {
        return {mRe * b.mRe - mIm * b.mIm, mRe * b.mIm + mIm * b.mRe};
    }
    /// Division through the reciprocal of the divisor's squared magnitude (no scaling against
    /// overflow); dividing by 0 + 0i gives non-finite parts.
    ComplexTmpl operator/(const ComplexTmpl& b) const {
        const T k = T(1) / (b.mRe * b.mRe + b.mIm * b.mIm);
        return {(b.mRe * mRe + b.mIm * mIm) * k, (b.mRe * mIm - b.mIm * mRe) * k};
    }
    ComplexTmpl operator*(T factor) const { return {mRe * factor, mIm * factor}; }

    bool operator==(const ComplexTmpl& b) const { return mRe == b.mRe && mIm == b.mIm; }
    bool operator!=(const ComplexTmpl& b) const { return !(*this == b); }

private:
    T mRe = 0;
    T mIm = 0;
};

} // namespace DSP
