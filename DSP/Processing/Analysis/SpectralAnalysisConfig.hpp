#pragma once

#include "DSP/Processing/Analysis/CircularShiftConfig.hpp"
#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Analysis/FFT.hpp"
#include "DSP/Processing/Analysis/WindowGeneratorConfig.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// The sizes of one short-time analysis: an odd window of WindowSize samples, a transform of
/// FFTSize = the smallest power of two >= (WindowSize - 1) * 2^ZeroPadding, and a hop.
///
/// The setters keep the children's configurations in step: the window generator's Size and
/// Type follow WindowSize and WindowType, the transform's AudioSize follows FFTSize, and the
/// circular shift rotates by -(WindowSize - 1) / 2 so that the window's centre lands on
/// sample 0 (zero-phase analysis). The hop never exceeds (WindowSize - 1) / 2.
class SpectralAnalysisConfig : public ProcessingConfig {
public:
    SpectralAnalysisConfig();
    const char* GetDSPClassName() const override { return "SpectralAnalysisConfig"; }

    /// An even or non-positive size throws "Window size must be odd" before anything changes.
    void SetWindowSize(int samples);
    int GetWindowSize() const { return mWindowSize; }
    void SetZeroPadding(int exponent);
    int GetZeroPadding() const { return mZeroPadding; }
    void SetHopSize(int samples) { mHopSize = samples; }
    int GetHopSize() const { return mHopSize; }
    void SetWindowType(const EWindowType& type);
    const EWindowType& GetWindowType() const { return mWindowGeneratorConfig.GetType(); }
    int GetFFTSize() const { return mFFTSize; }
    /// Re-derives the sizes; the rate itself is not kept.
    void SetSamplingRate(float rate);
    /// Re-applies every setter with the current values and the process-wide sample rate.
    void Sync();
    /// Marks the transform as part of a sinusoidal analysis; nothing reads the mark.
    void SetIsSinusoidal(bool);

    const WindowGeneratorConfig& GetWindowGeneratorConfig() const { return mWindowGeneratorConfig; }
    const CircularShiftConfig& GetCircularShiftConfig() const { return mCircularShiftConfig; }
    const FFTConfig& GetFFTConfig() const { return mFFTConfig; }

private:
    void UpdateFFTSize();

    WindowGeneratorConfig mWindowGeneratorConfig;
    CircularShiftConfig mCircularShiftConfig;
    FFTConfig mFFTConfig;
    int mHopSize = 512;
    int mZeroPadding = 0;
    int mFFTSize = 1024;
    int mWindowSize = 1025;
    EWindowType mWindowType;
};

} // namespace DSP
