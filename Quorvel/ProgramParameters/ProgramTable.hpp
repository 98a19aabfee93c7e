#pragma once

// The whole parameter and program table: the five global parameters and the fifteen programs in
// preset order, the seven short-time programs first. Nothing else in the system defines
// parameter indices or program numbers.

#include "Quorvel/ProgramParameters/ParametersGlobal.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_Harmonizer.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_PitchDiscretization.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_PitchIsolate.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_PitchShift.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_Robotization.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_SinusoidalGain.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_SpectralShapeShift.hpp"
#include "Quorvel/ProgramParameters/ParametersHLN_Vibrato.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_OscillatingSpectralNotch.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_SampleAndHold.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_SpectralAM.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_SpectralDelay.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_SpectralFreeze.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_SpectralNotch.hpp"
#include "Quorvel/ProgramParameters/ParametersSFFT_ThreeBandFilter.hpp"

#include <array>
#include <string_view>

namespace ProgramTable {

constexpr unsigned int kParameterCount = 57;
constexpr unsigned int kProgramCount = 15;
constexpr unsigned int kShortTimeProgramCount = 7; // presets 0..6; presets 7..14 are harmonic
constexpr unsigned int kSlotCount = 12;
// Marks an empty slot, and a parameter without slot or effect number in a program.
constexpr unsigned int kUnbound = 65000;

// The programs by preset number.
inline constexpr std::array<const ProgramDescription*, kProgramCount> kPrograms = {
    &ParametersSFFT_SpectralDelay,
    &ParametersSFFT_SpectralFreeze,
    &ParametersSFFT_SampleAndHold,
    &ParametersSFFT_SpectralAM,
    &ParametersSFFT_ThreeBandFilter,
    &ParametersSFFT_SpectralNotch,
    &ParametersSFFT_OscillatingSpectralNotch,
    &ParametersHLN_PitchShift,
    &ParametersHLN_Harmonizer,
    &ParametersHLN_PitchDiscretization,
    &ParametersHLN_PitchIsolate,
    &ParametersHLN_SinusoidalGain,
    &ParametersHLN_SpectralShapeShift,
    &ParametersHLN_Vibrato,
    &ParametersHLN_Robotization};

// The program with this preset number; `presetNumber` must be below kProgramCount (a fatal
// assertion otherwise).
const ProgramDescription& program(unsigned int presetNumber);

// The description of document parameter `index`; `index` must be below kParameterCount (a fatal
// assertion otherwise).
const ParameterDescription& parameter(unsigned int index);

// The program row of parameter `index`, or nullptr for the global parameters and any index
// outside the table.
const ProgramParameterDescription* programParameter(unsigned int index);

// The program that parameter `index` belongs to, or nullptr for the global parameters and any
// index outside the table.
const ProgramDescription* programOfParameter(unsigned int index);

// The program whose display name is exactly `name`, or nullptr.
const ProgramDescription* findProgram(std::string_view name);

// The parameter of `program` whose name is exactly `name`, or nullptr. Names are unique within
// a program (several programs reuse a name such as "Low Cutoff [Hz]").
const ProgramParameterDescription* findParameter(const ProgramDescription& program,
                                                 std::string_view name);

} // namespace ProgramTable
