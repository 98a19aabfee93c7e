#pragma once
// The built-in test sound of `quorvel demo`: a voice-like harmonic tone with vibrato and breath
// noise, a short pause, then a percussive part, so that every program has something to show.

#include "hosts/cli/AudioFile.hpp"

namespace quorvel::cli {

// Mono, `sampleRate` Hz, about 4.5 seconds, peaking near -3 dBFS. Deterministic.
AudioData makeDemoSound(int sampleRate);

} // namespace quorvel::cli
