#include "DSP/Processing/Analysis/HLNAnalysisConfig.hpp"

namespace DSP {

namespace {
constexpr int kSinWindowSamples = 2049;
constexpr int kResWindowSamples = 1025;
constexpr int kHopSamples = 256;
constexpr float kDefaultMagThresholdDb = -60.f;
} // namespace

HLNAnalysisConfig::HLNAnalysisConfig() {
    SetSinWindowType(EWindowType(EWindowType::eHamming));
    SetResWindowType(EWindowType(EWindowType::eBlackmanHarris92));
    mPeakDetect.SetMagThreshold(kDefaultMagThresholdDb);
    SetSinWindowSize(kSinWindowSamples);
    SetHopSize(kHopSamples);
    SetSinZeroPadding(0);
    SetResWindowSize(kResWindowSamples);
}

HLNAnalysisConfig HLNAnalysisConfig::EngineDefaults() {
    HLNAnalysisConfig config;
    config.SetSinWindowSize(kSinWindowSamples);
    config.SetSinZeroPadding(0);
    config.SetResWindowSize(kResWindowSamples);
    config.SetResZeroPadding(0);
    config.SetSinWindowType(EWindowType(EWindowType::eBlackmanHarris92));
    config.SetResWindowType(EWindowType(EWindowType::eBlackmanHarris92));
    config.SetHopSize(kHopSamples);
    config.GetPeakDetect().SetMagThreshold(-80.f);
    config.GetPeakDetect().SetMaxFreq(6000.f);
    config.GetSinTracking().SetIsHarmonic(true);
    config.GetFundFreqDetect().SetInitialFundFreq(1000.f);
    config.GetFundFreqDetect().SetMinFundFreq(50.f);
    config.GetFundFreqDetect().SetMaxFundFreq(6000.f);
    return config;
}

void HLNAnalysisConfig::SetResWindowSize(int samples) {
    mResSpectralAnalysis.SetWindowSize(samples);
    KeepSineSpectrumInStep();
}

void HLNAnalysisConfig::SetResZeroPadding(int exponent) {
    mResSpectralAnalysis.SetZeroPadding(exponent);
    KeepSineSpectrumInStep();
}

void HLNAnalysisConfig::SetHopSize(int samples) {
    mSinSpectralAnalysis.SetHopSize(samples);
    mResSpectralAnalysis.SetHopSize(samples);
}

// The sinusoids' spectrum is subtracted bin by bin from the residual branch's, so it must
// have the same bins and its lobes the width that branch's zero padding gives them.
void HLNAnalysisConfig::KeepSineSpectrumInStep() {
    mSynthSineSpectrum.SetSpectrumSize(mResSpectralAnalysis.GetFFTSize() / 2 + 1);
    mSynthSineSpectrum.SetZeroPadding(float(mResSpectralAnalysis.GetZeroPadding()));
}

} // namespace DSP
