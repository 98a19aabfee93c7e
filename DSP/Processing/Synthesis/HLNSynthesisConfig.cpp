#include "DSP/Processing/Synthesis/HLNSynthesisConfig.hpp"

#include "DSP/Misc/Err.hpp"
#include "DSP/Processing/Analysis/HLNAnalysisConfig.hpp"

namespace DSP {

namespace {
constexpr int kAnalWindowSamples = 1025;
constexpr int kHopSamples = 256;

void CheckOdd(int samples) {
    DSP_CHECK(samples > 0 && samples % 2 == 1, "Window size must be odd");
}
} // namespace

HLNSynthesisConfig::HLNSynthesisConfig() {
    SetAnalWindowType(EWindowType(EWindowType::eBlackmanHarris92));
    SetAnalWindowSize(kAnalWindowSamples);
    SetHopSize(kHopSamples);
    SetFrameSize(kHopSamples);
}

HLNSynthesisConfig HLNSynthesisConfig::ForAnalysis(const HLNAnalysisConfig& analysis) {
    HLNSynthesisConfig config;
    config.SetAnalWindowSize(analysis.GetResWindowSize());
    config.SetAnalWindowType(analysis.GetResWindowType());
    config.SetHopSize(analysis.GetHopSize());
    config.SetFrameSize(analysis.GetHopSize());
    return config;
}

HLNSynthesisConfig HLNSynthesisConfig::EngineDefaults() {
    return ForAnalysis(HLNAnalysisConfig::EngineDefaults());
}

void HLNSynthesisConfig::SetAnalWindowSize(int samples) {
    CheckOdd(samples);
    mSpectralSynthesis.SetAnalWindowSize(samples);
    SetSpectrumSize(mSpectralSynthesis.GetIFFTSize() / 2 + 1);
}

void HLNSynthesisConfig::SetSynthWindowSize(int samples) {
    CheckOdd(samples);
    mSpectralSynthesis.SetSynthWindowSize(samples);
}

void HLNSynthesisConfig::SetFrameSize(int samples) {
    for (OverlapAddConfig& overlapAdd : mOverlapAdd)
        overlapAdd.SetHopSize(samples);
}

void HLNSynthesisConfig::SetSpectrumSize(int bins) {
    mSpectrumSize = bins;
    mSynthSineSpectrum.SetSpectrumSize(bins);
}

} // namespace DSP
