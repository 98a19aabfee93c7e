#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

#include <iterator>

// "Robotization": replaces the pitch by a fixed frequency.
namespace ProgramRows {
// clang-format off
inline constexpr ProgramParameterDescription kRobotization[] = {
    {{42, "Pitch [Hz]", "unused", Int, 220.0f, 20.0f, 10000.0f, 5, Unit::Hertz},
     6, Kind::Slider, Curve::Exponential, 0, kEffectAmount, Scale::AsIs},
};
// clang-format on
} // namespace ProgramRows

inline constexpr ProgramDescription ParametersHLN_Robotization = {
    14,
    15,
    KavCategoryIds::HLN,
    "Robotization",
    "HLNRobotization",
    "Changes the pitch to a fixed frequency for a robotic effect. Set the frequency using the "
    "Pitch control. Wet/Dry mix can give a nice drone effect.",
    ProgramRows::kRobotization,
    std::size(ProgramRows::kRobotization)};
