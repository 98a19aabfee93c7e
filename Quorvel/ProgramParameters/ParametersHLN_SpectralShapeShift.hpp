#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Spectral Shapeshifter": shifts the spectral envelope (formants), keeping the pitch.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kSpectralShapeShift[] = {
    {{54, "Amount [Hz]", "Amount", Int, 200.0f, 20.0f, 10000.0f, 5, Unit::Hertz},
     0, Kind::Knob, Curve::Linear, 0, kEffectAmount, Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_SpectralShapeShift = {
    12,
    12,
    KavCategoryIds::HLN,
    "Spectral Shapeshifter",
    "HLNSpectralShapeShift",
    "Shift the spectral envelope shape (formants) without affecting the pitch. Try different "
    "Wet/Dry settings.",
    ProgramRows::kSpectralShapeShift,
    std::size(ProgramRows::kSpectralShapeShift)};
