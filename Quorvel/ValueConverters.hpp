#pragma once

// The one set of rules for turning a document parameter into a 0..1 control position, back,
// and into the text a control shows. The host parameter map and the editor both use them.
//
// Every function is pure, works in single precision (dB to linear in double), allocates
// nothing and may be called from any thread. None clamps a position or a value to its range
// except `TextToParameter`, which clamps what was typed.

#include "Quorvel/ProgramParameters/ProgramDescription.hpp"
#include "orvane/AnyValue.hpp"

#include <cstddef>

namespace orvane {
class Parameter;
}

// The unit a value text carries.
enum class KavParamValueUnit : unsigned int { None = 0, Decibel = 1, Hertz = 2, Semitone = 3 };

namespace Quorvel {

// Below this linear value a dB text reads "-inf".
constexpr float kSilentTextLevel = 0.0001f;

// (value - min) / (max - min); 0 for an empty range.
float LinearPosition(float value, float minValue, float maxValue);
// min + (max - min) * position.
float LinearValue(float position, float minValue, float maxValue);
// The fourth root of (value - min) / (max - min), taken as two fast square roots; 0 when the
// ratio is not positive (or the range is empty).
float ExponentialPosition(float value, float minValue, float maxValue);
// min + (max - min) * position^4.
float ExponentialValue(float position, float minValue, float maxValue);

// The control position of the parameter's value by `curve` (Linear and LinearAlternate are the
// same): float and int by the curve on the float range, bool 1 or 0. Any other type throws
// orvane::Exception("Bad type!").
float DocumentToSliderConverter(const orvane::Parameter& parameter, KavParamValueCurve curve);
// The value of the parameter's type at control position `position`: float by the curve, int by
// the curve truncated toward zero, bool true when position > 0.5. A non-finite position gives
// the minimum. Any other type throws orvane::Exception("Bad type!").
orvane::AnyValue SliderToDocumentConverter(const orvane::Parameter& parameter, float position,
                                           KavParamValueCurve curve);

// 20 log10(x) with the fast base-2 logarithm; x <= 0 gives -6.0206e8.
float LinearToDbConverter(float linear);
// 10^(dB / 20), computed in double precision.
float DbToLinearConverter(float db);

// Writes the parameter's value as a control shows it into `buffer` (`size` characters, cut and
// terminated when too long): float in dB "-inf" below kSilentTextLevel, else "%.2f" of the dB
// value plus " dB" with units; other floats "%.2f" plus " Hz" / " ST" with units; int "%i" plus
// " dB" / " Hz" / " ST" with units; bool "Yes" / "No". Other types throw "Bad type!".
void ParameterToText(char* buffer, std::size_t size, const orvane::Parameter& parameter,
                     KavParamValueUnit unit, bool wantUnits);
// Reads a typed text for a float (a number, in dB when the unit is dB) or int parameter,
// clamps it into the parameter's range and stores it in `value`; returns true. A text without a
// number (or a NaN) leaves `value` alone, rewrites `buffer` with the parameter's current value
// (no units) and returns false. Bool and enum parameters are never typed: false, nothing
// touched.
// `wantUnits_` must be false (fatal assertion "!wantUnits_").
bool TextToParameter(char* buffer, std::size_t size, const orvane::Parameter& parameter,
                     orvane::AnyValue& value, KavParamValueUnit unit, bool wantUnits_);

} // namespace Quorvel
