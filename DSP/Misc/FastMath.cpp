#include "DSP/Misc/FastMath.hpp"

#include <cmath>

float frequency(float semitones) {
    // Transposition ratios are not on a per-bin path, so they are exact rather than fast.
    return static_cast<float>(std::pow(2.0, static_cast<double>(semitones) / 12.0));
}
