#pragma once

#include "DSP/Data/Spectrum.hpp"

namespace DSP {

// out = a + sign * b, bin by bin, for spectra in linear magnitude and phase (radians): both
// bins are taken to rectangular form (|m| cos phi, |m| sin phi), combined, and stored back as
// magnitude (0 when the sum of squares is not positive) and phase. Every step uses the fast
// sine, cosine, square root and arc tangent, so a + b - b returns a within their accuracy.
//
// Each input is first given its magnitude/phase representation if it lacks it. out gets
// a's bin count and a's spectral range and ends up magnitude/phase only; bins that b lacks
// count as 0. out must not be a or b. Allocates only when out's bin count changes.
void MagPhaseSum(Spectrum& a, Spectrum& b, float sign, Spectrum& out);

} // namespace DSP
