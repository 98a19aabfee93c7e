#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How SpectralPeakDetect scans a spectrum: at most MaxPeaks peaks, each strictly louder than
// MagThreshold (dB), the scan ending at the first peak above MaxFreq (Hz).
class SpectralPeakDetectConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SpectralPeakDetectConfig"; }

    // A negative count reports no peaks.
    int GetMaxPeaks() const { return mMaxPeaks; }
    void SetMaxPeaks(int peaks) { mMaxPeaks = peaks; }
    float GetMagThreshold() const { return mMagThresholdDb; }
    void SetMagThreshold(float thresholdDb) { mMagThresholdDb = thresholdDb; }
    float GetMaxFreq() const { return mMaxFreqHz; }
    void SetMaxFreq(float freqHz) { mMaxFreqHz = freqHz; }

private:
    int mMaxPeaks = 500;
    float mMagThresholdDb = -80.f;
    float mMaxFreqHz = 8000.f;
};

} // namespace DSP
