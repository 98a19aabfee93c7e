#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How a SimpleOscillator starts: its frequency (Hz), its amplitude (linear) and its phase
// (radians).
class SimpleOscillatorConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SimpleOscillatorConfig"; }

    float GetFrequency() const { return mFrequencyHz; }
    void SetFrequency(float frequencyHz) { mFrequencyHz = frequencyHz; }
    float GetAmplitude() const { return mAmplitude; }
    void SetAmplitude(float amplitude) { mAmplitude = amplitude; }
    float GetPhase() const { return mPhaseRad; }
    void SetPhase(float phaseRad) { mPhaseRad = phaseRad; }

private:
    float mFrequencyHz = 440.f;
    float mAmplitude = 1.f;
    float mPhaseRad = 0.f;
};

} // namespace DSP
