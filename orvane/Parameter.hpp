#pragma once

#include "orvane/AnyDetails.hpp"
#include "orvane/AnyValue.hpp"

#include <memory>

namespace orvane {

// The document's unit of storage: a current value joined to its description. A parameter owns
// its description and is never copied; the document owns its parameters.
class Parameter {
public:
    // Takes ownership of `details` and starts at its default. An `Undefined` (or missing)
    // description throws orvane::Exception("Something strange happened in the parameters"),
    // after deleting the description.
    explicit Parameter(AnyDetails* details);
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    const AnyValue& getValue() const { return m_value; }
    // Stores tag and payload as given; the document writes values only through this.
    void setValue(AnyValue value) { m_value = value; }
    const AnyDetails& getDetails() const { return *m_details; }

private:
    AnyValue m_value;
    std::unique_ptr<AnyDetails> m_details;
};

// Normalised-value mappings, used between the document and the host's 0..1 automation values.
// Neither clamps to the parameter's range: a value outside it maps outside 0..1 and back.

// min + (max - min) * x
float LinearScaleToLinearConverter(float x, float min, float max);
// (v - min) / (max - min)
float LinearToLinearScaleConverter(float v, float min, float max);

// The parameter's value as a number in 0..1, by the value's type: Bool 1 or 0; Int and Float
// (value - min) / (max - min); Enum value / (max - min). A parameter whose range is empty
// (max == min) gives 0 rather than a division by zero. Any other type, or a description that
// does not match the value's type, throws orvane::Exception("Bad type!").
float DocumentToSliderConverter(const Parameter& parameter);

// The value of the parameter's current type that the normalised `x` stands for: Bool true when
// x > 0.5; Int min + (max - min) * x in float, truncated toward zero (a result within float
// rounding error of an integer counts as that integer, so integers round trip); Float
// min + (max - min) * x; Enum x * (max - min) rounded to the nearest index and kept within
// min..max (the inverse of the Enum mapping above). A non-finite x gives the minimum, and an
// Int beyond the 32-bit range saturates. Any other type, or a description that does not match
// the value's type, throws orvane::Exception("Bad type!").
AnyValue SliderToDocumentConverter(const Parameter& parameter, float x);

} // namespace orvane
