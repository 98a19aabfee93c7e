#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Oscillating Peak/Notch": a peak/notch band whose centre frequency oscillates.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kOscillatingSpectralNotch[] = {
    {{35, "CentFrq [Hz]", kCurrentPresetText, Int, 1000.0f, 20.0f, 10000.0f, 5, Unit::Hertz},
     0, Kind::Knob, Curve::Exponential, 0, kEffectAmount, Scale::AsIs},
    {{36, "Bandwidth [semitone]", kCurrentPresetText, Float, 12.0f, 0.0f, 24.0f, 5, Unit::Semitone},
     1, Kind::Knob, Curve::Linear, 1, "Bandwidth", Scale::AsIs},
    {{37, "Gain [dB]", kCurrentPresetText, Float, -48.0f, -90.0f, 30.0f, 5, Unit::Decibel},
     8, Kind::Slider, Curve::Linear, 2, "Gain", Scale::AsIs},
    {{38, "Rate [hz]", kCurrentPresetText, Float, 0.2f, 0.0f, 5.0f, 5, Unit::Hertz},
     3, Kind::Knob, Curve::Linear, 3, "OscFreq", Scale::AsIs},
    {{39, "Depth [%]", kCurrentPresetText, Float, 50.0f, 0.0f, 100.0f, 5, Unit::Percent},
     10, Kind::Slider, Curve::Linear, 4, "OscWidth", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_OscillatingSpectralNotch = {
    6,
    1,
    KavCategoryIds::SFFT,
    "Oscillating Peak/Notch",
    "OscillatingSpectralNotch",
    "Peak/Notch with an oscillating center frequency (CentFrq). Set Bandwidth in semitones and the "
    "desired Gain/attenuation. Rate controls oscillation frequency; Depth controls how wide the "
    "oscillation is (100% oscillates between 0 and CentFrq x 2).",
    ProgramRows::kOscillatingSpectralNotch,
    std::size(ProgramRows::kOscillatingSpectralNotch)};
