#pragma once

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"

// The document parameters that belong to no program.
namespace ParameterIndex {
constexpr unsigned int Gain = 0;          // linear output gain
constexpr unsigned int DryWet = 1;        // 0 input only, 1 processed only
constexpr unsigned int CurrentPreset = 2; // preset number of the current program
constexpr unsigned int Reserved = 3;      // no behaviour; never read
constexpr unsigned int LevelClip = 4;     // clip indicator, written by the engine
} // namespace ParameterIndex

inline constexpr ParameterDescription ParametersGlobal[] = {
    {ParameterIndex::Gain, "Gain", "The gain of the plugin", orvane::AnyValue::Float, 1.0f, 0.0f,
     1.0f, 7, ParameterUnit::None},
    {ParameterIndex::DryWet, "Dry/Wet", "The dry/wet ratio", orvane::AnyValue::Float, 1.0f, 0.0f,
     1.0f, 7, ParameterUnit::None},
    {ParameterIndex::CurrentPreset, "CurrentPreset", "The current preset", orvane::AnyValue::Int,
     0.0f, 0.0f, 14.0f, 4, ParameterUnit::None},
    {ParameterIndex::Reserved, "Reserved", "", orvane::AnyValue::Bool, 0.0f, 0.0f, 1.0f, 0,
     ParameterUnit::None},
    {ParameterIndex::LevelClip, "LevelClip", "Clipping", orvane::AnyValue::Bool, 0.0f, 0.0f, 1.0f,
     0, ParameterUnit::None},
};
