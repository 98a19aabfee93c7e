#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "3 AM": amplitude modulation of three frequency bands.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSpectralAM[] = {
    {{8, "LoRate [Hz]", "Rate", Float, 4.0f, 0.0f, 12.0f, 5, Unit::Hertz},
     0, Kind::Knob, Curve::Linear, 5, "LfFreq", Scale::AsIs},
    {{9, "LoDepth [%]", "Depth", Float, 25.0f, 0.0f, 100.0f, 5, Unit::Percent},
     6, Kind::Slider, Curve::Linear, 0, "LfWidth", Scale::DividedBy50},
    {{10, "MiRate [Hz]", "Rate", Float, 6.0f, 0.0f, 12.0f, 5, Unit::Hertz},
     2, Kind::Knob, Curve::Linear, 6, "MfFreq", Scale::AsIs},
    {{11, "MiDepth [%]", "Depth", Float, 25.0f, 0.0f, 100.0f, 5, Unit::Percent},
     8, Kind::Slider, Curve::Linear, 2, "MfWidth", Scale::DividedBy50},
    {{12, "HiRate [Hz]", "Rate", Float, 8.0f, 0.0f, 12.0f, 5, Unit::Hertz},
     4, Kind::Knob, Curve::Linear, 7, "HfFreq", Scale::AsIs},
    {{13, "HiDepth [%]", "Depth", Float, 20.0f, 0.0f, 100.0f, 5, Unit::Percent},
     10, Kind::Slider, Curve::Linear, 4, "HfWidth", Scale::DividedBy50},
    {{14, "Low Cutoff [Hz]", kCurrentPresetText, Float, 500.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     1, Kind::Knob, Curve::Exponential, 1, "LowCutoff", Scale::AsIs},
    {{15, "Hi Cutoff [Hz]", kCurrentPresetText, Float, 2000.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     3, Kind::Knob, Curve::Exponential, 3, "HighCutoff", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_SpectralAM = {
    3,
    6,
    KavCategoryIds::SFFT,
    "3 AM",
    "SpectralAM",
    "Modulates the amplitude spectrum for a tremolo effect. LFO Rate controls the modulation speed "
    "in Hz; Depth controls the modulation amplitude. Set Wet/Dry to 1.0.",
    ProgramRows::kSpectralAM,
    std::size(ProgramRows::kSpectralAM)};
