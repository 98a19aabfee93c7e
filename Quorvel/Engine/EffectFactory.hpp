#pragma once

#include "DSP/Processing/Transformations/FrameTransformation.hpp"

#include <memory>

namespace Quorvel {

// A new instance of the effect of program `id` (the ids of the program table): a short-time
// effect for the seven short-time programs, a harmonic one for the eight harmonic programs;
// null for an id that names no effect (3, and 16 and above).
std::unique_ptr<DSP::FrameTransformation> CreateEffect(unsigned int id);

} // namespace Quorvel
