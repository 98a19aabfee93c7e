#pragma once

#include "orvane/AnyDetails.hpp"
#include "orvane/AnyValue.hpp"

namespace orvane {

// A parameter's range by its type, for values that arrive from outside (host ports, typed
// texts).

// The value of the description's type nearest to the plain number `x`: float clamped; int and
// enum rounded to the nearest whole number, then clamped; bool true when x > 0.5. A non-finite
// `x`, or an undefined description, gives an `Undefined` value, which callers ignore.
AnyValue ClampToRange(const AnyDetails& details, double x);

} // namespace orvane
