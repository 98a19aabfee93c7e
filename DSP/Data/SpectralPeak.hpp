#pragma once

#include "DSP/Data/EScale.hpp"

namespace DSP {

// One spectral peak: frequency (Hz), magnitude (linear or dB by its scale), fractional bin
// position, phase (radians) and width in bins. A value record passed to and from
// SpectralPeakArray; the array checks that the scales agree.
class SpectralPeak {
public:
    const EScale& GetScale() const { return mScale; }
    void SetScale(const EScale& scale) { mScale = scale; }
    float GetFreq() const { return mFreq; }
    void SetFreq(float freqHz) { mFreq = freqHz; }
    float GetMag() const { return mMag; }
    void SetMag(float mag) { mMag = mag; }
    float GetBinPos() const { return mBinPos; }
    void SetBinPos(float binPos) { mBinPos = binPos; }
    float GetPhase() const { return mPhase; }
    void SetPhase(float phase) { mPhase = phase; }
    int GetBinWidth() const { return mBinWidth; }
    void SetBinWidth(int bins) { mBinWidth = bins; }

private:
    EScale mScale;
    float mFreq = 0.f;
    float mMag = 0.f;
    float mBinPos = 0.f;
    float mPhase = 0.f;
    int mBinWidth = 0;
};

} // namespace DSP
