#include "Quorvel/Transformations/HLN/HLNVibrato.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <cmath>

namespace DSP {

namespace {

constexpr float kInitialFreqHz = 5.f;
constexpr float kInitialWidth = 0.05f;
constexpr float kInitialSamples = 256.f;

// The oscillator starts at 1000 Hz with amplitude 1; every Do sets its rate and amplitude
// from the vibrato's controls before it is read.
SimpleOscillatorConfig OscillatorConfig() {
    SimpleOscillatorConfig config;
    config.SetFrequency(1000.f);
    config.SetAmplitude(1.f);
    return config;
}

} // namespace

HLNVibrato::HLNVibrato() : mOscillator(OscillatorConfig()) {
    Configure(FrameTransformationConfig());
}

bool HLNVibrato::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNVibrato::ConcreteStart() {
    mOscillator.Start();
    return InitControls();
}

bool HLNVibrato::InitControls() {
    mFreq.DoControl(kInitialFreqHz);
    mWidth.DoControl(kInitialWidth);
    mSamples.DoControl(kInitialSamples);
    return true;
}

bool HLNVibrato::Do(const SpectralPeakArray& in, SpectralPeakArray& out) {
    // Without a copy, out must already hold in's peaks; one that does not (a broken promise)
    // is given them rather than written out of bounds.
    if (!mConfig.GetInPlace() || out.GetnPeaks() != in.GetnPeaks())
        CopyReusingStorage(out, in);

    mOscillator.GetPitchControl().DoControl(mFreq.GetLastValue());
    mOscillator.GetAmplitudeControl().DoControl(mWidth.GetLastValue());
    mOscillator.GetSamplesBetweenCallsControl().DoControl(mSamples.GetLastValue());
    float deviation = 0.f;
    mOscillator.Do(deviation);

    // A width beyond 1 would swing frequencies below zero: the factor stops at 0.
    float factor = 1.f + FiniteOrZero(deviation);
    if (factor < 0.f)
        factor = 0.f;
    for (int i = 0; i < in.GetnPeaks(); ++i) {
        const float freqHz = in.GetFreq(i);
        const float movedHz = factor * freqHz;
        out.SetFreq(i, std::isfinite(movedHz) ? movedHz : freqHz);
    }
    return true;
}

bool HLNVibrato::Do(const Frame& in, Frame& out) {
    return Do(in.GetSpectralPeakArray(), out.GetSpectralPeakArray());
}

bool HLNVibrato::Do() {
    // The fundamental and the spectrum pass their tokens on unchanged.
    return mPorts.Run([this](const SpectralPeakArray& in, const Fundamental&, const Spectrum&,
                             SpectralPeakArray& out, Fundamental&,
                             Spectrum&) { return Do(in, out); });
}

} // namespace DSP
