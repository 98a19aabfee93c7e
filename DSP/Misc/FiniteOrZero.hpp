#pragma once

#include <cmath>

namespace DSP {

// What enters a delay line, a held spectrum, an analysis state or an input ring: a non-finite
// value becomes 0, so that one bad sample, frame or control value cannot circulate or be held
// forever.
inline float FiniteOrZero(float value) {
    return std::isfinite(value) ? value : 0.f;
}

} // namespace DSP
