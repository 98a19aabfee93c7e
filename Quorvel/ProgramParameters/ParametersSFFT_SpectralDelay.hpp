#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Delay Spectral Bands": an independent feedback delay on three frequency bands.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSpectralDelay[] = {
    {{27, "LoDelay [ms]", "Low delay", Float, 300.0f, 0.0f, 10000.0f, 5, Unit::Millisecond},
     6, Kind::Slider, Curve::Linear, 0, "LowDelay", Scale::AsIs},
    {{32, "LoFeedbk [%]", kCurrentPresetText, Float, 30.0f, 0.0f, 100.0f, 5, Unit::Percent},
     0, Kind::Knob, Curve::Linear, 5, "LowFeedback", Scale::AsIs},
    {{28, "Low Cutoff [Hz]", kCurrentPresetText, Float, 500.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     1, Kind::Knob, Curve::Exponential, 1, "LowCutoff", Scale::AsIs},
    {{29, "MiDelay [ms]", "Low delay", Float, 500.0f, 0.0f, 10000.0f, 5, Unit::Millisecond},
     8, Kind::Slider, Curve::Linear, 2, "MidDelay", Scale::AsIs},
    {{33, "MiFeedbk [%]", kCurrentPresetText, Float, 30.0f, 0.0f, 100.0f, 5, Unit::Percent},
     2, Kind::Knob, Curve::Linear, 6, "MidFeedback", Scale::AsIs},
    {{31, "Hi Cutoff [Hz]", kCurrentPresetText, Float, 2000.0f, 0.0f, 10000.0f, 5, Unit::Hertz},
     3, Kind::Knob, Curve::Exponential, 3, "HighCutoff", Scale::AsIs},
    {{30, "HiDelay [ms]", "Low delay", Float, 100.0f, 0.0f, 10000.0f, 5, Unit::Millisecond},
     10, Kind::Slider, Curve::Linear, 4, "HighDelay", Scale::AsIs},
    {{34, "HiFeedbk [%]", kCurrentPresetText, Float, 30.0f, 0.0f, 100.0f, 5, Unit::Percent},
     4, Kind::Knob, Curve::Linear, 7, "HighFeedback", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_SpectralDelay = {
    0,
    4,
    KavCategoryIds::SFFT,
    "Delay Spectral Bands",
    "SpectralDelay",
    "Independent delay on three frequency bands. Split into three bands using the two Cutoff "
    "knobs. Sliders control the delays; Feedbk knobs control the feedback. Try various Delay times "
    "and Wet/Dry settings.",
    ProgramRows::kSpectralDelay,
    std::size(ProgramRows::kSpectralDelay)};
