#pragma once
// The perceptually uniform "magma" colour map: black through purple and orange to pale yellow,
// with lightness rising steadily, so a level reads the same in colour and in grey.

#include "hosts/cli/Image.hpp"

namespace quorvel::cli {

// The colour at `position` in 0..1 (clamped; NaN reads as 0).
Rgb magma(double position);

} // namespace quorvel::cli
