#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Pitch Isolate": keeps only the tonal part of the sound.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kPitchIsolate[] = {
    {{47, "VoiceThrld [%]", "VoiceThrld", Float, 25.0f, 0.0f, 100.0f, 5, Unit::Percent},
     0, Kind::Knob, Curve::Linear, 0, kEffectAmount, Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_PitchIsolate = {
    10,
    14,
    KavCategoryIds::HLN,
    "Pitch Isolate",
    "HLNPitchIsolate",
    "Isolates the tonal part of the sound. The Voice Threshold slider controls how much pitch "
    "error is tolerated. Use low values for better quality, but hard-to-track signals may need "
    "higher thresholds to avoid artifacts. Set Wet/Dry to 1.0.",
    ProgramRows::kPitchIsolate,
    std::size(ProgramRows::kPitchIsolate)};
