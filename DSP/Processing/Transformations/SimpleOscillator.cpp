#include "DSP/Processing/Transformations/SimpleOscillator.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"

#include <cmath>

namespace DSP {

namespace {

// One turn as the phase is wrapped: 2π rounded to single precision.
constexpr float kTurnRad = 6.2831855f;
// 2π in extended precision: the increment is worked out in it and rounded once.
constexpr long double kTwoPiExtended = 6.283185307179586476925286766559005768L;

float IncrementPerSample(float frequencyHz) {
    return static_cast<float>(kTwoPiExtended * frequencyHz / GlobalProcessInfo::GetSampleRate());
}

// Brings an advanced phase back into 0 … 2π. An oscillator that moves less than a turn per
// step (every rate the effects use) needs at most one subtraction, and that is all this does
// for it. A faster or backward-running one is reduced fully, so that its phase cannot grow
// without bound and lose its precision; a non-finite phase restarts at 0.
float WrapOscillatorPhase(float phase) {
    if (phase > kTurnRad)
        phase -= kTurnRad;
    if (phase >= 0.f && phase <= kTurnRad)
        return phase;
    if (!std::isfinite(phase))
        return 0.f;
    phase = std::fmod(phase, kTurnRad);
    return phase < 0.f ? phase + kTurnRad : phase;
}

} // namespace

SimpleOscillator::SimpleOscillator() {
    Configure(SimpleOscillatorConfig());
}

SimpleOscillator::SimpleOscillator(const SimpleOscillatorConfig& config) {
    Configure(config);
}

bool SimpleOscillator::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* oscillatorConfig = dynamic_cast<const SimpleOscillatorConfig*>(&config);
    if (oscillatorConfig == nullptr) {
        AddConfigErrorMessage("SimpleOscillator needs a SimpleOscillatorConfig.");
        return false;
    }
    mConfig = *oscillatorConfig;
    mAmplitude = mConfig.GetAmplitude();
    mPhase = mConfig.GetPhase();
    mIncrement = IncrementPerSample(mConfig.GetFrequency());
    // The configuration is the newest word on rate and amplitude.
    mFrequencyChanged.store(false, std::memory_order_relaxed);
    mAmplitudeChanged.store(false, std::memory_order_relaxed);
    mSamplesBetweenCalls.DoControl(1.f);
    return true;
}

// The handlers only mark the change: the value is taken from the control at the next output,
// on the thread that runs Do. Release pairs with the acquire there, so the value written
// before the mark is the one read.
int SimpleOscillator::MarkPitchChanged(float) {
    mFrequencyChanged.store(true, std::memory_order_release);
    return 0;
}

int SimpleOscillator::MarkAmplitudeChanged(float) {
    mAmplitudeChanged.store(true, std::memory_order_release);
    return 0;
}

void SimpleOscillator::ApplyPendingControls() {
    // A non-finite rate or amplitude would make the phase or every later output non-finite;
    // such a value is ignored.
    if (mFrequencyChanged.exchange(false, std::memory_order_acquire)) {
        const float increment = IncrementPerSample(mPitch.GetLastValue());
        if (std::isfinite(increment))
            mIncrement = increment;
    }
    if (mAmplitudeChanged.exchange(false, std::memory_order_acquire)) {
        const float amplitude = mAmplitudeControl.GetLastValue();
        if (std::isfinite(amplitude))
            mAmplitude = amplitude;
    }
}

float SimpleOscillator::NextValue(float samplesAdvanced) {
    const float value = std::sin(mPhase) * mAmplitude;
    mPhase = WrapOscillatorPhase(mPhase + mIncrement * samplesAdvanced);
    return value;
}

bool SimpleOscillator::Do(float& out) {
    ApplyPendingControls();
    out = NextValue(mSamplesBetweenCalls.GetLastValue());
    return true;
}

bool SimpleOscillator::Do(Audio& out) {
    ApplyPendingControls();
    Array<float>& samples = out.GetBuffer();
    for (int i = 0; i < samples.Size(); ++i)
        samples[i] = NextValue(1.f);
    return true;
}

bool SimpleOscillator::Do() {
    if (!mOutput.CanProduce())
        return false;
    Do(mOutput.GetAudio());
    mOutput.Produce();
    return true;
}

} // namespace DSP
