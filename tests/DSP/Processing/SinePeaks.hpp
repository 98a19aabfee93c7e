#pragma once

// Peak arrays for the sinusoidal tracking, phase management and sine synthesis tests.

#include "DSP/Data/SpectralPeakArray.hpp"

#include <vector>

// dB peaks at freqsHz; peak i has magnitude -(i % 40) dB, phase i / 10 and track id ids[i]
// (i without ids).
inline DSP::SpectralPeakArray SinePeaks(const std::vector<float>& freqsHz,
                                        const std::vector<int>& ids = {}) {
    DSP::SpectralPeakArray peaks;
    peaks.SetScale(DSP::EScale(DSP::EScale::eLog));
    peaks.SetnPeaks(int(freqsHz.size()));
    peaks.ResetIndices();
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        peaks.SetFreq(i, freqsHz[std::size_t(i)]);
        peaks.SetMag(i, -float(i % 40));
        peaks.SetPhase(i, 0.1f * float(i));
        if (!ids.empty())
            peaks.SetIndex(i, ids[std::size_t(i)]);
    }
    return peaks;
}
