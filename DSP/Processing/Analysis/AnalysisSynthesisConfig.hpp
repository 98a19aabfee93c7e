#pragma once

#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// The engine's record of its analysis sizes, from which it configures the short-time
/// analysis and synthesis and the harmonic analysis. Defaults: a 1024-sample frame analysed
/// with a 1025-sample window, a 2048-sample sinusoidal window of Blackman-Harris 92 dB, no zero
/// padding, and a hop of 256 samples for every analysis, synthesis and overlap-add.
class AnalysisSynthesisConfig : public ProcessingConfig {
public:
    AnalysisSynthesisConfig() { mSinWindowType.SetValue(EWindowType::eBlackmanHarris92); }
    const char* GetDSPClassName() const override { return "AnalysisSynthesisConfig"; }

    int GetWindowSize() const { return mWindowSize; }
    void SetWindowSize(int samples) { mWindowSize = samples; }
    int GetZeroPadding() const { return mZeroPadding; }
    void SetZeroPadding(int exponent) { mZeroPadding = exponent; }
    int GetSinWindowSize() const { return mSinWindowSize; }
    void SetSinWindowSize(int samples) { mSinWindowSize = samples; }
    int GetSinZeroPadding() const { return mSinZeroPadding; }
    void SetSinZeroPadding(int exponent) { mSinZeroPadding = exponent; }
    const EWindowType& GetSinWindowType() const { return mSinWindowType; }
    void SetSinWindowType(const EWindowType& type) { mSinWindowType = type; }
    int GetHopSize() const { return mHopSize; }
    void SetHopSize(int samples) { mHopSize = samples; }

private:
    int mWindowSize = 1024;
    int mZeroPadding = 0;
    int mSinWindowSize = 2048;
    int mSinZeroPadding = 0;
    EWindowType mSinWindowType;
    int mHopSize = 256;
};

} // namespace DSP
