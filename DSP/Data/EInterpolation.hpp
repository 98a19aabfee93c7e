#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

/// How a break-point function evaluates between its points. Default: "Linear".
class EInterpolation : public Enum {
public:
    enum {
        eStep = 0,
        eRound = 1,
        eLinear = 2,
        eSpline = 3,
        ePolynomial2 = 4,
        ePolynomial3 = 5,
        ePolynomial4 = 6,
        ePolynomial5 = 7,
        ePolynomialn = 8
    };
    static const tEnumValue sEnumValues[];

    EInterpolation(int value = eLinear) : Enum(sEnumValues, value) {}
    EInterpolation(const EInterpolation&) = default;
    EInterpolation& operator=(const EInterpolation&) = default;
    EInterpolation& operator=(int value) {
        SetValue(value);
        return *this;
    }

    EInterpolation* Species() const override { return new EInterpolation; }
};

} // namespace DSP
