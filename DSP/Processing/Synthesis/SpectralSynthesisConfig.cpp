#include "DSP/Processing/Synthesis/SpectralSynthesisConfig.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"

#include <cmath>

namespace DSP {

namespace {
void CheckOddWindowSize(int samples) {
    DSP_CHECK(samples > 0 && samples % 2 == 1, "Window size must be odd");
}
} // namespace

SpectralSynthesisConfig::SpectralSynthesisConfig() {
    mAnalWindowType.SetValue(EWindowType::eBlackmanHarris92);
    mAnalWindowGeneratorConfig.SetType(mAnalWindowType);
    mAnalWindowGeneratorConfig.SetSize(1025);
    mAnalWindowGeneratorConfig.SetUseTable(true);
    mAnalWindowGeneratorConfig.SetNormalize(EWindowNormalize(EWindowNormalize::eAnalysis));
    mAnalWindowGeneratorConfig.SetInvert(true);

    mSynthWindowGeneratorConfig.SetType(EWindowType(EWindowType::eTriangular));
    mSynthWindowGeneratorConfig.SetSize(513);
    mSynthWindowGeneratorConfig.SetUseTable(true);
    mSynthWindowGeneratorConfig.SetNormalize(EWindowNormalize(EWindowNormalize::eNone));
    mSynthWindowGeneratorConfig.SetInvert(false);

    mCircularShiftConfig.SetAmount(512.0f);
    mIFFTConfig.SetAudioSize(1024);
}

int SpectralSynthesisConfig::PowerOfTwo(int x) {
    if (x <= 0)
        return 1;
    int power = 1;
    while (power < x)
        power <<= 1;
    return power;
}

void SpectralSynthesisConfig::SetAnalWindowSize(int samples) {
    CheckOddWindowSize(samples);
    mAnalWindowSize = samples;
    mAnalWindowGeneratorConfig.SetSize(samples);
    UpdateIFFTSize();
    mCircularShiftConfig.SetAmount(float(samples / 2));
}

void SpectralSynthesisConfig::SetAnalWindowType(const EWindowType& type) {
    mAnalWindowType = type;
    mAnalWindowGeneratorConfig.SetType(type);
}

void SpectralSynthesisConfig::SetSynthWindowSize(int samples) {
    CheckOddWindowSize(samples);
    mSynthWindowGeneratorConfig.SetSize(samples);
}

void SpectralSynthesisConfig::SetHopSize(int samples) {
    mSynthWindowGeneratorConfig.SetSize(2 * samples + 1);
    mHopSize = samples;
}

void SpectralSynthesisConfig::SetZeroPadding(int exponent) {
    mZeroPadding = exponent;
    UpdateIFFTSize();
}

void SpectralSynthesisConfig::UpdateIFFTSize() {
    mIFFTConfig.SetAudioSize(
        PowerOfTwo(int(std::ldexp(1.0, mZeroPadding)) * (mAnalWindowSize - 1)));
}

void SpectralSynthesisConfig::SetSamplingRate(float) {
    SetAnalWindowSize(GetAnalWindowSize());
}

void SpectralSynthesisConfig::Sync() {
    SetSamplingRate(GlobalProcessInfo::GetSampleRate());
    SetAnalWindowSize(mAnalWindowSize);
    SetAnalWindowType(mAnalWindowType);
    SetHopSize(mHopSize);
    mSynthWindowGeneratorConfig.SetSize(2 * GetHopSize() + 1);
}

} // namespace DSP
