#pragma once

#include <cmath>

namespace Quorvel {

// Below this gain the engine's output is exactly zero.
constexpr float kSilentGain = 0.0001f;

// One hop of the engine's output, for both paths: ((1 - dryWet) * dry + dryWet * wet) * gain,
// exactly 0 for a gain below kSilentGain, and 0 wherever an effect made the result non-finite
// (nothing non-finite reaches the host).
inline void MixHop(const float* dry, const float* wet, float dryWet, float gain, float* out,
                   int samples) {
    for (int k = 0; k < samples; ++k) {
        const float mixed =
            gain < kSilentGain ? 0.0f : ((1.0f - dryWet) * dry[k] + dryWet * wet[k]) * gain;
        out[k] = std::isfinite(mixed) ? mixed : 0.0f;
    }
}

} // namespace Quorvel
