#pragma once

// Wrapping of phases into one turn, as the frame-rate phase accumulators of the library do it.

#include <cmath>

namespace DSP {

// 2π as the nearest single-precision value (6.2831854820251465 when widened to double).
constexpr float kTwoPi = 6.2831855f;

// phase − 2π·⌊phase / 2π⌋: the number of turns is found in single precision and removed in
// double precision, so the result lies in [0, 2π] (a value a hair below a whole turn may round
// up to 2π itself when it is narrowed back to float). Pure, allocation-free.
inline float WrapPhase(float phase) {
    const float turns = std::floor(phase / kTwoPi);
    return static_cast<float>(static_cast<double>(phase) +
                              static_cast<double>(turns) * -static_cast<double>(kTwoPi));
}

} // namespace DSP
