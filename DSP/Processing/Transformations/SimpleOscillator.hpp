#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Transformations/SimpleOscillatorConfig.hpp"

#include <atomic>

namespace DSP {

// A sine oscillator, out = amplitude × sin(phase), used as the low-frequency oscillator of
// the modulating effects.
//
// Do(float&) gives one value and then advances the phase by "SamplesBetweenCalls" samples, so
// an owner that calls it once per hop sets that control to the hop and the oscillator runs at
// its nominal rate. Do(Audio&) fills a whole block, advancing one sample per value. The phase
// stays within 0 … 2π.
//
// Controls: "Pitch" (Hz) and "Amplitude" take effect at the next output (their handlers only
// mark the change; a non-finite value is ignored and the previous rate or amplitude kept);
// "SamplesBetweenCalls" (samples, 1 after configuration) is read at every Do(float&).
//
// Threads: one thread runs Do; the controls may be written from another. Do never allocates.
class SimpleOscillator : public Processing {
public:
    // Configured at once with a default SimpleOscillatorConfig (440 Hz, amplitude 1, phase 0).
    SimpleOscillator();
    // Configured at once with config.
    explicit SimpleOscillator(const SimpleOscillatorConfig& config);

    const char* GetDSPClassName() const override { return "SimpleOscillator"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // One value; the phase then advances by SamplesBetweenCalls samples.
    bool Do(float& out);
    // Every sample of out, one sample apart.
    bool Do(Audio& out);
    // Fills the audio of the "Audio Output" port and produces it.
    bool Do() override;

    InControl& GetPitchControl() { return mPitch; }
    InControl& GetAmplitudeControl() { return mAmplitudeControl; }
    InControl& GetSamplesBetweenCallsControl() { return mSamplesBetweenCalls; }

    // The phase (radians) of the next output.
    float GetPhase() const { return mPhase; }

protected:
    // Takes a SimpleOscillatorConfig: amplitude, phase and phase increment from it, and
    // SamplesBetweenCalls 1. Refuses any other configuration.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    int MarkPitchChanged(float);
    int MarkAmplitudeChanged(float);
    void ApplyPendingControls();
    float NextValue(float samplesAdvanced);

    AudioOutPort mOutput{"Audio Output", this};
    SimpleOscillatorConfig mConfig;
    float mAmplitude = 1.f;
    float mPhase = 0.f;
    float mIncrement = 0.f;
    std::atomic<bool> mFrequencyChanged{false};
    std::atomic<bool> mAmplitudeChanged{false};
    InControlTmpl<SimpleOscillator> mPitch{"Pitch", this, &SimpleOscillator::MarkPitchChanged};
    InControlTmpl<SimpleOscillator> mAmplitudeControl{"Amplitude", this,
                                                      &SimpleOscillator::MarkAmplitudeChanged};
    InControl mSamplesBetweenCalls{"SamplesBetweenCalls", this};
};

} // namespace DSP
