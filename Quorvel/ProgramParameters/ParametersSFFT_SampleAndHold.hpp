#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Sample & Hold": holds each spectrum for a given time.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSampleAndHold[] = {
    {{26, "HoldTime [ms]", kCurrentPresetText, Float, 200.0f, 0.0f, 1000.0f, 5, Unit::Millisecond},
     6, Kind::Slider, Curve::Linear, 0, kEffectAmount, Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_SampleAndHold = {
    2,
    8,
    KavCategoryIds::SFFT,
    "Sample & Hold",
    "SampleAndHold",
    "Freeze and hold the sound for the HoldTime specified in milliseconds. (A HoldTime of 0 "
    "produces the original sound.) Try different Wet/Dry settings.",
    ProgramRows::kSampleAndHold,
    std::size(ProgramRows::kSampleAndHold)};
