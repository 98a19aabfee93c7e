#pragma once

#include "DSP/Processing/Analysis/CircularShiftConfig.hpp"
#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Analysis/WindowGeneratorConfig.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"
#include "DSP/Processing/Synthesis/IFFT.hpp"

namespace DSP {

/// The sizes of one short-time synthesis: the analysis window it undoes (odd, AnalWindowSize
/// samples), the hop h, and the inverse transform of PowerOfTwo(2^ZeroPadding *
/// (AnalWindowSize - 1)) samples. The synthesis window generator makes the 2h + 1 sample
/// triangle whose copies at hop h sum to one; the shift undoes the analysis rotation.
class SpectralSynthesisConfig : public ProcessingConfig {
public:
    SpectralSynthesisConfig();
    const char* GetDSPClassName() const override { return "SpectralSynthesisConfig"; }

    /// Even or non-positive sizes throw "Window size must be odd" before anything changes.
    void SetAnalWindowSize(int samples);
    int GetAnalWindowSize() const { return mAnalWindowGeneratorConfig.GetSize(); }
    void SetAnalWindowType(const EWindowType& type);
    const EWindowType& GetAnalWindowType() const { return mAnalWindowGeneratorConfig.GetType(); }
    void SetSynthWindowSize(int samples);
    int GetSynthWindowSize() const { return mSynthWindowGeneratorConfig.GetSize(); }
    void SetHopSize(int samples);
    int GetHopSize() const { return (GetSynthWindowSize() - 1) / 2; }
    void SetZeroPadding(int exponent);
    int GetZeroPadding() const { return mZeroPadding; }
    void SetUseMainSpectrum(bool useMain) { mUseMainSpectrum = useMain; }
    bool GetUseMainSpectrum() const { return mUseMainSpectrum; }
    int GetIFFTSize() const { return mIFFTConfig.GetAudioSize(); }
    /// Re-derives the sizes; the rate itself is not kept.
    void SetSamplingRate(float rate);
    /// Re-applies every setter with the current values and the process-wide sample rate.
    void Sync();

    /// The smallest power of two not below x (1 for x <= 0).
    static int PowerOfTwo(int x);

    const WindowGeneratorConfig& GetAnalWindowGeneratorConfig() const {
        return mAnalWindowGeneratorConfig;
    }
    const WindowGeneratorConfig& GetSynthWindowGeneratorConfig() const {
        return mSynthWindowGeneratorConfig;
    }
    const CircularShiftConfig& GetCircularShiftConfig() const { return mCircularShiftConfig; }
    const IFFTConfig& GetIFFTConfig() const { return mIFFTConfig; }

private:
    void UpdateIFFTSize();

    WindowGeneratorConfig mAnalWindowGeneratorConfig;
    WindowGeneratorConfig mSynthWindowGeneratorConfig;
    CircularShiftConfig mCircularShiftConfig;
    IFFTConfig mIFFTConfig;
    int mZeroPadding = 0;
    bool mUseMainSpectrum = false;
    int mAnalWindowSize = 1025;
    EWindowType mAnalWindowType;
    int mHopSize = 256;
};

} // namespace DSP
