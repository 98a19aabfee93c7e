#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "3-Band Filter": a separate gain for each of three frequency bands.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kThreeBandFilter[] = {
    {{16, "LowGain [dB]", "Low gain", Float, 0.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     6, Kind::Slider, Curve::Linear, 0, "LowGain", Scale::AsIs},
    {{17, "Low Cutoff [Hz]", kCurrentPresetText, Float, 500.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     1, Kind::Knob, Curve::Exponential, 1, "LowCutoff", Scale::AsIs},
    {{18, "MidGain [dB]", "Mid gain", Float, 0.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     8, Kind::Slider, Curve::Linear, 2, "MidGain", Scale::AsIs},
    {{19, "HiGain [dB]", "Hi gain", Float, 0.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     10, Kind::Slider, Curve::Linear, 4, "HighGain", Scale::AsIs},
    {{20, "Hi Cutoff [Hz]", kCurrentPresetText, Float, 3000.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     3, Kind::Knob, Curve::Exponential, 3, "HighCutoff", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_ThreeBandFilter = {
    4,
    5,
    KavCategoryIds::SFFT,
    "3-Band Filter",
    "ThreeBandFilter",
    "Adjust the gain of each band separately. Define the three bands with the two Cutoff knobs. "
    "Use the sliders to apply a different gain to each band. Set Wet/Dry to 1.0, and reduce the "
    "output Gain if needed to avoid clipping.",
    ProgramRows::kThreeBandFilter,
    std::size(ProgramRows::kThreeBandFilter)};
