#include "DSP/Processing/Analysis/HLNAnalysis.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"

#include <algorithm>

namespace DSP {

HLNAnalysis::HLNAnalysis() : mAudioProvider("Audio provider", this) {
    Insert(mCore);
    mAudioProvider.ConnectToIn(mCore.GetInputAudio());
}

HLNAnalysis::HLNAnalysis(const HLNAnalysisConfig& config) : HLNAnalysis() {
    Configure(config);
}

HLNAnalysis::~HLNAnalysis() = default;

bool HLNAnalysis::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const HLNAnalysisConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be an HLNAnalysisConfig");
        return false;
    }
    mConfig = *concrete;
    mCore.Stop();
    mCore.Configure(mConfig);
    mAudioProvider.SetSize(mConfig.GetHopSize());
    mAudioProvider.SetHop(mConfig.GetHopSize());
    return true;
}

void HLNAnalysis::PrepareFrame(Frame& frame) const {
    const int sinBins = mConfig.GetSinSpectralAnalysis().GetFFTSize() / 2 + 1;
    const int resBins = mConfig.GetResSpectralAnalysis().GetFFTSize() / 2 + 1;
    frame.GetSinusoidalAnalSpectrum().SetSize(sinBins);
    frame.GetSpectrum().SetSize(resBins);
    frame.GetResidualSpec().SetSize(resBins);
    frame.GetSpectralPeakArray().SetnMaxPeaks(mConfig.GetSinTracking().GetMaxTracks());
    frame.GetFundamental().SetnMaxCandidates(1);
    frame.GetAudioFrame().SetSize(mConfig.GetHopSize());
}

bool HLNAnalysis::Do(Frame& frame) {
    frame.GetFundamental().SetnMaxCandidates(1);
    if (mAudioProvider.CanProduce()) {
        mAudioProvider.SetSampleRate(GlobalProcessInfo::GetSampleRate());
        FeedAudio(frame.GetAudioFrame());
        mAudioProvider.Produce();
    }
    if (!mCore.CanConsumeAndProduce())
        return false;
    const bool ran = mCore.Do();
    CopyResults(frame);
    if (ran)
        frame.SetIsVoiced(frame.GetFundamental().GetFreq(0) > 0.f);
    return ran;
}

// The only entry of samples into the analysis: a non-finite sample would otherwise reach
// the reference fundamental, the tracks and, through the residual, every later hop.
void HLNAnalysis::FeedAudio(const Audio& hop) {
    Audio& window = mAudioProvider.GetAudio();
    float* dst = window.GetBuffer().GetPtr();
    const float* src = hop.GetBuffer().GetPtr();
    const int size = window.GetSize();
    const int given = std::min(size, hop.GetSize());
    for (int i = 0; i < given; ++i)
        dst[i] = FiniteOrZero(src[i]);
    std::fill(dst + given, dst + size, 0.f);
}

void HLNAnalysis::CopyResults(Frame& frame) {
    CopyReusingStorage(frame.GetSinusoidalAnalSpectrum(),
                       mCore.GetSinusoidalBranchSpectrum().GetLastWrittenData());
    CopyReusingStorage(frame.GetResidualSpec(), mCore.GetResidualSpectrum().GetLastWrittenData());
    CopyReusingStorage(frame.GetSpectrum(), mCore.GetResidualBranchSpectrum().GetLastWrittenData());
    CopyReusingStorage(frame.GetFundamental(), mCore.GetFundamental().GetLastWrittenData());
    CopyReusingStorage(frame.GetSpectralPeakArray(),
                       mCore.GetSinusoidalPeaks().GetLastWrittenData());
}

bool HLNAnalysis::Do() {
    return mCore.Do();
}

} // namespace DSP
