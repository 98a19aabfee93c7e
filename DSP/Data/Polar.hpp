#pragma once

#include "DSP/Misc/FastMath.hpp"

#include <cmath>

namespace DSP {

/// A number in polar form, stored as magnitude then angle in radians (the layout of a polar
/// spectrum bin). The rectangular parts use |magnitude| with the fast cosine and sine.
/// Instantiated for float.
template <class T> class PolarTmpl {
public:
    PolarTmpl() = default;
    PolarTmpl(T mag, T ang) : mMag(mag), mAng(ang) {}

    /// Becomes the magnitude mag at angle zero.
    PolarTmpl& operator=(T mag) {
        mMag = mag;
        mAng = 0;
        return *this;
    }

    T Mag() const { return mMag; }
    T Ang() const { return mAng; }
    void SetMag(T mag) { mMag = mag; }
    void SetAng(T ang) { mAng = ang; }

    T Real() const { return std::fabs(mMag) * DSP_cos(mAng); }
    T Imag() const { return std::fabs(mMag) * DSP_sin(mAng); }

    PolarTmpl operator*(const PolarTmpl& b) const { return {mMag * b.mMag, mAng + b.mAng}; }
    PolarTmpl operator/(const PolarTmpl& b) const { return {mMag / b.mMag, mAng - b.mAng}; }

    /// Sums go through rectangular form: fast cosine and sine on the way in, an exact square
    /// root and the double-precision arc tangent on the way back.
    PolarTmpl operator+(const PolarTmpl& b) const {
        return FromRectangular(Real() + b.Real(), Imag() + b.Imag());
    }
    PolarTmpl operator-(const PolarTmpl& b) const {
        return FromRectangular(Real() - b.Real(), Imag() - b.Imag());
    }
    PolarTmpl& operator+=(const PolarTmpl& b) { return *this = *this + b; }
    PolarTmpl& operator-=(const PolarTmpl& b) { return *this = *this - b; }

    bool operator==(const PolarTmpl& b) const { return mMag == b.mMag && mAng == b.mAng; }
    bool operator!=(const PolarTmpl& b) const { return !(*this == b); }

private:
    static PolarTmpl FromRectangular(T re, T im) {
        return {std::sqrt(re * re + im * im),
                static_cast<T>(std::atan2(static_cast<double>(im), static_cast<double>(re)))};
    }

    T mMag = 0;
    T mAng = 0;
};

} // namespace DSP
