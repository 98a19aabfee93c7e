#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Spectral Peak/Notch": boosts or cuts one frequency band.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSpectralNotch[] = {
    {{5, "CentFrq [Hz]", kCurrentPresetText, Int, 500.0f, 20.0f, 10000.0f, 5, Unit::Hertz},
     0, Kind::Knob, Curve::Exponential, 0, kEffectAmount, Scale::AsIs},
    {{6, "Bandwidth [semitone]", kCurrentPresetText, Float, 12.0f, 0.0f, 24.0f, 5, Unit::Semitone},
     1, Kind::Knob, Curve::Linear, 1, "Bandwidth", Scale::AsIs},
    {{7, "Gain [dB]", kCurrentPresetText, Float, -50.0f, -90.0f, 30.0f, 7, Unit::Decibel},
     8, Kind::Slider, Curve::Linear, 2, "Gain", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_SpectralNotch = {
    5,
    0,
    KavCategoryIds::SFFT,
    "Spectral Peak/Notch",
    "SpectralNotch",
    "Band-pass filter boosts or attenuates an arbitrarily narrow frequency band. Set center "
    "frequency (CentFrq) in Hz, Bandwidth in semitones, and Gain in dB. Set Wet/Dry to 1.0, and "
    "reduce the output Gain if needed to avoid clipping.",
    ProgramRows::kSpectralNotch,
    std::size(ProgramRows::kSpectralNotch)};
