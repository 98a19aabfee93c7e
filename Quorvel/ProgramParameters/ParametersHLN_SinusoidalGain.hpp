#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Sine / Noise": separate gains for the sinusoidal and the noise part.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSinusoidalGain[] = {
    {{45, "SinGain [dB]", "Transpose", Float, -90.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     6, Kind::Slider, Curve::Linear, 0, kEffectAmount, Scale::AsIs},
    {{46, "NoisGain [dB]", "Voice Threshold", Float, 0.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     7, Kind::Slider, Curve::Linear, 1, "Residual", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_SinusoidalGain = {
    11,
    10,
    KavCategoryIds::HLN,
    "Sine / Noise",
    "HLNSinusoidalGain",
    "Separates the signal into harmonic sound and natural noise. Set the desired Gain in dB for "
    "each component.",
    ProgramRows::kSinusoidalGain,
    std::size(ProgramRows::kSinusoidalGain)};
