#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"

#include <algorithm>

namespace DSP {

SpectralAnalysis::SpectralAnalysis() : mInput("Input", this), mOutput("Output", this) {
    AttachChildren();
}

SpectralAnalysis::SpectralAnalysis(const SpectralAnalysisConfig& config) : SpectralAnalysis() {
    Configure(config);
}

SpectralAnalysis::~SpectralAnalysis() = default;

void SpectralAnalysis::AttachChildren() {
    mWindowGenerator.SetParent(this);
    mMultiplier.SetParent(this);
    mCircularShift.SetParent(this);
    mFFT.SetParent(this);
}

bool SpectralAnalysis::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const SpectralAnalysisConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a SpectralAnalysisConfig");
        return false;
    }
    mConfig = *concrete;
    mConfig.Sync();
    // The children's own results are not consulted: the sizes were validated by the setters.
    mWindowGenerator.Configure(mConfig.GetWindowGeneratorConfig());
    mCircularShift.Configure(mConfig.GetCircularShiftConfig());
    mFFT.Configure(mConfig.GetFFTConfig());
    ConfigureData();
    return true;
}

void SpectralAnalysis::ConfigureData() {
    const int windowSize = mConfig.GetWindowSize();
    const int fftSize = mConfig.GetFFTSize();
    const float rate = GlobalProcessInfo::GetSampleRate();
    mInput.SetSize(windowSize);
    mInput.SetHop(mConfig.GetHopSize());
    mInput.SetSampleRate(rate);

    mAudioFrame.SetSize(fftSize);
    mAudioFrame.SetSampleRate(rate);

    mWindow.SetSize(windowSize);
    mWindowGenerator.Start();
    mWindowGenerator.Do(mWindow);
    mWindowGenerator.Stop();
    mWindow.SetSize(windowSize - 1);
    mWindow.SetSize(fftSize);

    SpectrumConfig spectrumConfig;
    spectrumConfig.SetSize(fftSize / 2 + 1);
    mPrototypeSpectrum.Configure(spectrumConfig);
    mFFT.SetPrototypes(mWindow, mPrototypeSpectrum);
}

bool SpectralAnalysis::Do(const Audio& in, Spectrum& out) {
    // The frame takes the first n - 1 input samples; the rest of the transform is zeros.
    const int fftSize = mConfig.GetFFTSize();
    const int taken = std::clamp(in.GetSize() - 1, 0, fftSize);
    const float* src = in.GetBuffer().GetPtr();
    float* frame = mAudioFrame.GetBuffer().GetPtr();
    std::copy(src, src + taken, frame);
    std::fill(frame + taken, frame + fftSize, 0.0f);
    mAudioFrame.SetSampleRate(in.GetSampleRate());

    mMultiplier.Do(mWindow, mAudioFrame, mAudioFrame);
    mCircularShift.Do(mAudioFrame, mAudioFrame);
    return mFFT.Do(mAudioFrame, out);
}

bool SpectralAnalysis::Do(Frame& frame) {
    return Do(frame.GetAudioFrame(), frame.GetSpectrum());
}

bool SpectralAnalysis::Do() {
    Spectrum& out = mOutput.GetData();
    out.SetSize(mConfig.GetFFTConfig().GetAudioSize() / 2 + 1);
    out.SetSpectralRange(GlobalProcessInfo::GetSampleRate());
    const bool result = Do(mInput.GetAudio(), out);
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
