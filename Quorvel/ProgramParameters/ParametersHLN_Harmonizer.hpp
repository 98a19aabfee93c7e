#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Harmonize": two added voices with their own pitch, gain and delay.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kHarmonizer[] = {
    {{48, "Pitch1 [semitone]", "Pitch", Float, -5.0f, -12.0f, 12.0f, 5, Unit::Semitone},
     0, Kind::Knob, Curve::Linear, 0, "Transposition1", Scale::SemitonesToRatio},
    {{49, "Gain1 [dB]", "Gain", Float, -10.0f, -90.0f, 0.0f, 5, Unit::Decibel},
     7, Kind::Slider, Curve::Linear, 1, "Gain1", Scale::AsIs},
    {{50, "Delay1 [ms]", "Delay", Float, 3.0f, 0.0f, 500.0f, 5, Unit::Millisecond},
     8, Kind::Slider, Curve::Linear, 2, "Delay1", Scale::AsIs},
    {{51, "Pitch2 [semitone]", "Pitch", Float, 3.0f, -12.0f, 12.0f, 5, Unit::Semitone},
     3, Kind::Knob, Curve::Linear, 3, "Transposition2", Scale::SemitonesToRatio},
    {{52, "Gain2 [dB]", "Gain", Float, -10.0f, -90.0f, 0.0f, 5, Unit::Decibel},
     10, Kind::Slider, Curve::Linear, 4, "Gain2", Scale::AsIs},
    {{53, "Delay2 [ms]", "Delay", Float, 6.0f, 0.0f, 500.0f, 5, Unit::Millisecond},
     11, Kind::Slider, Curve::Linear, 5, "Delay2", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_Harmonizer = {
    8,
    11,
    KavCategoryIds::HLN,
    "Harmonize",
    "HLNHarmonizer",
    "Given a single original solo voice, add two accompanying voices with different pitch, gain "
    "and delay values. Lower Wet/Dry to hear three voices at once.",
    ProgramRows::kHarmonizer,
    std::size(ProgramRows::kHarmonizer)};
