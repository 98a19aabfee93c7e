#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Pitch Shift": transposition with timbre preservation.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kPitchShift[] = {
    {{40, "Transpose [semitone]", "Transpose", Float, 3.0f, -12.0f, 12.0f, 5, Unit::Semitone},
     0, Kind::Knob, Curve::Linear, 0, kEffectAmount, Scale::SemitonesToRatio},
    {{41, "VoiceThrld [%]", "Voice Threshold", Float, 10.0f, 0.0f, 100.0f, 5, Unit::Percent},
     7, Kind::Slider, Curve::Linear, 1, "Error", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_PitchShift = {
    7,
    2,
    KavCategoryIds::HLN,
    "Pitch Shift",
    "HLNPitchShift",
    "Transposition with timbre preservation. The knob sets the transposition amount. Voice "
    "Threshold controls how much pitch error is allowed: low values give better results, but "
    "hard-to-track signals may need higher values to avoid artifacts.",
    ProgramRows::kPitchShift,
    std::size(ProgramRows::kPitchShift)};
