#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Vibrato": pitch modulation of the sinusoidal part only.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kVibrato[] = {
    {{55, "LFO Rate [Hz]", "Rate", Float, 5.0f, 0.0f, 10.0f, 5, Unit::Hertz},
     0, Kind::Knob, Curve::Linear, 0, "Freq", Scale::AsIs},
    {{56, "Depth [%]", "Depth", Float, 5.0f, 0.0f, 100.0f, 5, Unit::Percent},
     7, Kind::Slider, Curve::Linear, 1, "Width", Scale::DividedBy100},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_Vibrato = {
    13,
    13,
    KavCategoryIds::HLN,
    "Vibrato",
    "HLNVibrato",
    "Separates the sound into sinusoidal & residual components, and modulates only the sinusoidal "
    "component. Rate controls the oscillation speed; Depth controls the oscillation amplitude. "
    "Wet/Dry mix can give a pleasant vibrato/chorus effect.",
    ProgramRows::kVibrato,
    std::size(ProgramRows::kVibrato)};
