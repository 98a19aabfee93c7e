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
    const float* window = mWindow.GetBuffer().GetPtr();
    float* frame = mAudioFrame.GetBuffer().GetPtr();
    mAudioFrame.SetSampleRate(in.GetSampleRate());

    // Windowed and circularly shifted in one pass: windowed sample i lands at (i + shift) mod
    // the transform size, as the shift would move it.
    int start = mCircularShift.GetShift() % fftSize;
    if (start < 0)
        start += fftSize;
    const int wrap = fftSize - start; // the first sample that wraps to the frame's start
    auto windowed = [&](int begin, int end, float* to) {
        for (int i = begin; i < end; ++i)
            to[i - begin] = (i < taken ? src[i] : 0.0f) * window[i];
    };
    windowed(0, wrap, frame + start);
    windowed(wrap, fftSize, frame);
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
