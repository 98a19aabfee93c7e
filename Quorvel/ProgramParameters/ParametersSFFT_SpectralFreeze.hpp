#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

namespace ParameterIndex {
constexpr unsigned int Fire = 24;  // latches on; only Reset turns it off
constexpr unsigned int Reset = 25; // releases the freeze while Fire is on
} // namespace ParameterIndex

// "Spectral Freeze": freezes the spectrum with separate decays for a low and a high band; Fire
// latches, Reset releases.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSpectralFreeze[] = {
    {{21, "LowDecay [sec]", kCurrentPresetText, Float, 20.0f, 0.0f, 30.0f, 5, Unit::Second},
     6, Kind::Slider, Curve::Linear, 0, "LowDecay", Scale::AsIs},
    {{22, "Cutoff [Hz]", kCurrentPresetText, Int, 1000.0f, 20.0f, 10000.0f, 5, Unit::Hertz},
     1, Kind::Knob, Curve::Exponential, 1, "HighCutoff", Scale::AsIs},
    {{23, "HiDecay [sec]", kCurrentPresetText, Float, 12.0f, 0.0f, 30.0f, 5, Unit::Second},
     8, Kind::Slider, Curve::Linear, 2, "HighDecay", Scale::AsIs},
    {{ParameterIndex::Fire, "Fire", kCurrentPresetText, Bool, 0.0f, 0.0f, 1.0f, 5, Unit::None},
     3, Kind::OnOffButton, Curve::Linear, 3, "Fire", Scale::AsIs},
    {{ParameterIndex::Reset, "Reset", kCurrentPresetText, Bool, 0.0f, 0.0f, 1.0f, 5, Unit::None},
     4, Kind::KickButton, Curve::Linear, 4, "Reset", Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersSFFT_SpectralFreeze = {
    1,
    7,
    KavCategoryIds::SFFT,
    "Spectral Freeze",
    "SpectralFreeze",
    "Freeze the audio, with separate decay rates for low & high bands. Cutoff knob divides the "
    "signal into two bands; sliders set decay times for each band. Fire activates the effect, and "
    "Reset resumes normal playback. Try different Wet/Dry settings.",
    ProgramRows::kSpectralFreeze,
    std::size(ProgramRows::kSpectralFreeze)};
