#pragma once

#include "orvane/AnyDetails.hpp"
#include "orvane/AnyValue.hpp"

namespace orvane {

// A parameter's range by its type, for values that arrive from outside (host ports, typed
// texts): whether a value lies in it, and a plain number brought into it.

// True when `value` has the description's type and lies within its minimum and maximum (a bool
// is always within; a NaN float never is).
bool RangeContains(const AnyDetails& details, const AnyValue& value);
// The value of the description's type nearest to the plain number `x`: float clamped; int and
// enum rounded to the nearest whole number, then clamped; bool true when x > 0.5. A non-finite
// `x`, or an undefined description, gives an `Undefined` value, which callers ignore.
AnyValue ClampToRange(const AnyDetails& details, double x);

} // namespace orvane
