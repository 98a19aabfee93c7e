#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

// The scale of spectral magnitudes: "Linear" amplitudes or "Log", meaning decibels.
class EScale : public Enum {
public:
    enum { eLinear = 0, eLog = 1 };
    static const tEnumValue sEnumValues[];

    EScale(int value = eLinear) : Enum(sEnumValues, value) {}
    EScale(const EScale& other) = default;
    EScale& operator=(const EScale& other) = default;
    EScale& operator=(int value) {
        SetValue(value);
        return *this;
    }

    EScale* Species() const override { return new EScale(); }
};

} // namespace DSP
