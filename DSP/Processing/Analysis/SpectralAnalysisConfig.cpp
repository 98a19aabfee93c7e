#include "DSP/Processing/Analysis/SpectralAnalysisConfig.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesisConfig.hpp"

namespace DSP {

SpectralAnalysisConfig::SpectralAnalysisConfig() {
    mWindowType.SetValue(EWindowType::eBlackmanHarris92);
    mWindowGeneratorConfig.SetType(mWindowType);
    mWindowGeneratorConfig.SetSize(mWindowSize);
    mWindowGeneratorConfig.SetUseTable(true);
    mWindowGeneratorConfig.SetNormalize(EWindowNormalize(EWindowNormalize::eAnalysis));
    mWindowGeneratorConfig.SetInvert(false);
    mCircularShiftConfig.SetAmount(-512.0f);
    mFFTConfig.SetAudioSize(1024);
}

void SpectralAnalysisConfig::SetWindowSize(int samples) {
    DSP_CHECK(samples > 0 && samples % 2 == 1, "Window size must be odd");
    mWindowSize = samples;
    mWindowGeneratorConfig.SetSize(samples);
    UpdateFFTSize();
    mCircularShiftConfig.SetAmount(float(samples - 1) * -0.5f);
    if (samples < 2 * mHopSize + 1)
        mHopSize = (samples - 1) / 2;
}

void SpectralAnalysisConfig::SetZeroPadding(int exponent) {
    mZeroPadding = exponent;
    UpdateFFTSize();
}

void SpectralAnalysisConfig::UpdateFFTSize() {
    mFFTSize = SpectralSynthesisConfig::PowerOfTwo(
        int(float(mWindowSize - 1) * DSP_pow(2.0f, float(mZeroPadding))));
    mFFTConfig.SetAudioSize(mFFTSize);
}

void SpectralAnalysisConfig::SetWindowType(const EWindowType& type) {
    mWindowType = type;
    mWindowGeneratorConfig.SetType(type);
}

void SpectralAnalysisConfig::SetSamplingRate(float) {
    SetWindowSize(GetWindowSize());
}

void SpectralAnalysisConfig::Sync() {
    SetSamplingRate(GlobalProcessInfo::GetSampleRate());
    SetZeroPadding(mZeroPadding);
    SetWindowSize(mWindowSize);
    SetWindowType(mWindowType);
}

void SpectralAnalysisConfig::SetIsSinusoidal(bool) {
    mFFTConfig.SetIsSinusoidal(true);
}

} // namespace DSP
