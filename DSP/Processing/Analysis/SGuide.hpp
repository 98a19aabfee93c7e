#pragma once

namespace DSP {

// One track slot of SinTracking: the frequency (Hz) and magnitude (dB) of the peak that
// started the track, its id, and whether the slot is free.
struct SGuide {
    float freq = 0.f;
    float mag = 0.f;
    int trackId = -1;
    bool isDead = true;
};

} // namespace DSP
