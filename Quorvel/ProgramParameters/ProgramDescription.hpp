#pragma once

// The vocabulary of the plug-in as plain constant data: every document parameter with its name,
// description, type, range, default, flags and unit, and every program with its family, help
// text and the wiring of its parameters (editor/host slot, control kind, value curve and the
// number and control under which its effect receives the value).
//
// The rows are constant-initialised aggregates, so any code (document, engine, host map, editor,
// command line, Turtle generator) may read them at any time, from any thread, without setup.

#include "orvane/AnyValue.hpp"

#include <cstddef>

// Program family; it selects the engine's processing path.
enum class KavCategoryIds : unsigned int {
    SFFT = 0, // short-time spectral path
    HLN = 1   // harmonic (sinusoids + residual) path
};

// The widget a slot shows in the editor.
enum class KavControlKind : unsigned int {
    Slider = 0,
    Knob = 1,
    KickButton = 2, // momentary
    OnOffButton = 3
};

// How a parameter's value maps to a 0..1 control position. Curve 2 behaves as curve 0.
enum class KavParamValueCurve : unsigned int { Linear = 0, Exponential = 1, LinearAlternate = 2 };

// The physical unit of a parameter, for listings and plug-in metadata. Informative only: the
// document stores plain numbers in the unit the parameter's name shows.
enum class ParameterUnit : unsigned int {
    None,
    Hertz,
    Decibel,
    Millisecond,
    Second,
    Percent,
    Semitone
};

// "Hz", "dB", "ms", "s", "%", "semitone", or "" for None.
constexpr const char* unitSymbol(ParameterUnit unit) {
    switch (unit) {
    case ParameterUnit::Hertz:
        return "Hz";
    case ParameterUnit::Decibel:
        return "dB";
    case ParameterUnit::Millisecond:
        return "ms";
    case ParameterUnit::Second:
        return "s";
    case ParameterUnit::Percent:
        return "%";
    case ParameterUnit::Semitone:
        return "semitone";
    case ParameterUnit::None:
        break;
    }
    return "";
}

// What the engine does to the document value v (as a float) before its effect receives it.
enum class DspValueScaling : unsigned int {
    AsIs,             // v (decibel values stay in decibels)
    SemitonesToRatio, // 2^(v / 12), the library's semitone-to-ratio function
    DividedBy50,      // v / 50
    DividedBy100      // v / 100
};

// One document parameter. Ranges are inclusive. Int ranges and defaults are whole numbers held
// exactly in the floats; a Bool parameter has range 0..1 and default 0 or 1.
struct ParameterDescription {
    unsigned int index;
    const char* name;            // shown to the user and the host, e.g. "LoDelay [ms]"
    const char* description;     // one line, stored as the product has always shown it
    orvane::AnyValue::Type type; // Int, Bool or Float
    float defaultValue;
    float minValue;
    float maxValue;
    unsigned int flags; // orvane::AnyDetails::Automatable, Reserved (2), Stored
    ParameterUnit unit;
};

// The effect's principal value (its `mAmount`) rather than a named input control.
constexpr const char* kEffectAmount = nullptr;

// A program parameter together with its place in the program's preset and effect.
struct ProgramParameterDescription {
    ParameterDescription parameter;
    unsigned int slot; // 0..5 upper controls, 6..11 lower controls; host slot of the same number
    KavControlKind kind;
    KavParamValueCurve curve;
    unsigned int effectParameter; // the number k under which the program's effect receives it
    const char* effectControl;    // the effect's input control, or kEffectAmount
    DspValueScaling scaling;
};

// One program. Its parameters are listed in the order the document creates and binds them.
struct ProgramDescription {
    unsigned int presetNumber; // position in the document's preset list; value of "CurrentPreset"
    unsigned int id;           // program identifier used by the engine
    KavCategoryIds category;
    const char* name;         // display name, e.g. "Delay Spectral Bands"
    const char* dspClassName; // the name the engine knows the effect by, e.g. "SpectralDelay"
    const char* helpText;
    const ProgramParameterDescription* parameters;
    std::size_t parameterCount;

    constexpr const ProgramParameterDescription* begin() const { return parameters; }
    constexpr const ProgramParameterDescription* end() const { return parameters + parameterCount; }
};

// Short names for the rows of the program tables (Parameters*.hpp).
namespace ProgramRows {
using Kind = KavControlKind;
using Curve = KavParamValueCurve;
using Scale = DspValueScaling;
using Unit = ParameterUnit;
constexpr orvane::AnyValue::Type Int = orvane::AnyValue::Int;
constexpr orvane::AnyValue::Type Bool = orvane::AnyValue::Bool;
constexpr orvane::AnyValue::Type Float = orvane::AnyValue::Float;
// The description most program controls carry.
constexpr const char* kCurrentPresetText = "To change always to the current preset";
} // namespace ProgramRows
