#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Pitch Quantizer": pulls each note towards the nearest semitone.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kPitchDiscretization[] = {
    {{43, "Correction [%]", "Correction", Float, 100.0f, 0.0f, 100.0f, 5, Unit::Percent},
     0, Kind::Knob, Curve::Linear, 0, kEffectAmount, Scale::AsIs},
    {{44, "Rate [%]", "Rate", Float, 25.0f, 0.0f, 100.0f, 5, Unit::Percent},
     7, Kind::Slider, Curve::Linear, 1, "Rate", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_PitchDiscretization = {
    9,
    9,
    KavCategoryIds::HLN,
    "Pitch Quantizer",
    "HLNPitchDiscretization",
    "Quantizes each note to the nearest semitone for pitch correction or an interesting vocal "
    "effect. Correction knob controls how much a note can move within a semitone; Rate controls "
    "rate of correction. Reduce Wet/Dry for a choral effect.",
    ProgramRows::kPitchDiscretization,
    std::size(ProgramRows::kPitchDiscretization)};
