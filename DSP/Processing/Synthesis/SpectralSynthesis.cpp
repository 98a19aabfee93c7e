#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"

#include <algorithm>

namespace DSP {

SpectralSynthesis::SpectralSynthesis() : mInput("Input", this), mOutput("Output", this) {
    AttachChildren();
}

SpectralSynthesis::SpectralSynthesis(const SpectralSynthesisConfig& config) : SpectralSynthesis() {
    Configure(config);
}

SpectralSynthesis::~SpectralSynthesis() = default;

void SpectralSynthesis::AttachChildren() {
    mAnalWindowGenerator.SetParent(this);
    mSynthWindowGenerator.SetParent(this);
    mIFFT.SetParent(this);
    mMultiplier.SetParent(this);
    mCircularShift.SetParent(this);
}

bool SpectralSynthesis::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const SpectralSynthesisConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a SpectralSynthesisConfig");
        return false;
    }
    mConfig = *concrete;
    mConfig.Sync();
    const int twoHops = 2 * mConfig.GetHopSize();
    mOutput.SetSize(twoHops);
    mOutput.SetHop(twoHops);
    if (!ConfigureChildren())
        return false;
    ConfigureData();
    return true;
}

bool SpectralSynthesis::ConfigureChildren() {
    if (!mAnalWindowGenerator.Configure(mConfig.GetAnalWindowGeneratorConfig()))
        return false;
    if (!mSynthWindowGenerator.Configure(mConfig.GetSynthWindowGeneratorConfig()))
        return false;
    if (!mCircularShift.Configure(mConfig.GetCircularShiftConfig()))
        return false;
    IFFTConfig ifftConfig;
    ifftConfig.SetAudioSize(mConfig.GetIFFTSize());
    return mIFFT.Configure(ifftConfig);
}

void SpectralSynthesis::ConfigureData() {
    const int w = mConfig.GetAnalWindowSize();
    const int h = mConfig.GetHopSize();

    // The inverted analysis window: 1 / value, its last sample 0.
    Audio inverted;
    inverted.SetSize(w);
    mAnalWindowGenerator.Start();
    mAnalWindowGenerator.Do(inverted);
    mAnalWindowGenerator.Stop();

    // Its central 2h samples (w / 2 taken exactly, each bound truncated) then a final 0.
    const int first = int(w / 2.0 - h);
    mSynthWindow.SetSize(0);
    mSynthWindow.SetSize(2 * h + 1);
    float* window = mSynthWindow.GetBuffer().GetPtr();
    const float* inv = inverted.GetBuffer().GetPtr();
    for (int i = 0; i < 2 * h; ++i)
        window[i] = inv[first + i];

    // Times the triangle rising from 0 to 1 at h and back, then cut to 2h samples.
    inverted.SetSize(2 * h + 1);
    mSynthWindowGenerator.Start();
    mSynthWindowGenerator.Do(inverted);
    mSynthWindowGenerator.Stop();
    const float* triangle = inverted.GetBuffer().GetPtr();
    for (int i = 0; i <= 2 * h; ++i)
        window[i] *= triangle[i];
    mSynthWindow.SetSize(2 * h);

    mIFFTOutput.SetSize(mConfig.GetIFFTSize());
    mChunk.SetSize(2 * h);
}

bool SpectralSynthesis::Do(const Spectrum& in, Audio& out) {
    const int h = mConfig.GetHopSize();
    mIFFT.Do(in, mIFFTOutput);
    // The 2h samples around the centre of the frame circularly shifted by the shift's amount,
    // read straight from the unshifted frame.
    const int centre = int((mConfig.GetAnalWindowSize() - 1) * 0.5);
    const int n = mIFFTOutput.GetSize();
    const float* frame = mIFFTOutput.GetBuffer().GetPtr();
    float* chunk = mChunk.GetBuffer().GetPtr();
    int from = (centre - h - mCircularShift.GetShift()) % n;
    if (from < 0)
        from += n;
    const int first = std::min(2 * h, n - from);
    std::copy_n(frame + from, first, chunk);
    std::copy_n(frame, 2 * h - first, chunk + first);
    mMultiplier.Do(mChunk, mSynthWindow, out);
    return true;
}

bool SpectralSynthesis::Do(Frame& frame) {
    if (mConfig.GetUseMainSpectrum())
        return Do(frame.GetSpectrum(), frame.GetAudioFrame());
    return Do(frame.GetResidualSpec(), frame.GetResidualAudioFrame());
}

bool SpectralSynthesis::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetAudio());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
