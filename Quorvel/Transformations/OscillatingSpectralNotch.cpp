#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"

#include "Quorvel/Transformations/NotchBand.hpp"

namespace DSP {

bool OscillatingSpectralNotch::ConcreteStart() {
    mOscillator.Start();
    return InitControls();
}

bool OscillatingSpectralNotch::InitControls() {
    mAmount.store(1000.f, std::memory_order_relaxed);
    mBandwidth.DoControl(12.f);
    mGain.DoControl(-48.f);
    mOscFreq.DoControl(0.2f);
    mOscWidth.DoControl(50.f);
    mOscillator.GetSamplesBetweenCallsControl().DoControl(kHopSamples);
    return true;
}

bool OscillatingSpectralNotch::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    mOscillator.GetPitchControl().DoControl(mOscFreq.GetLastValue());
    // The depth is a percentage of the centre frequency.
    mOscillator.GetAmplitudeControl().DoControl(
        static_cast<float>(mOscWidth.GetLastValue() * 0.01));
    float sweep = 0.f;
    mOscillator.Do(sweep);
    const float centreHz = (1.f + sweep) * mAmount.load(std::memory_order_relaxed);
    ApplyNotchBand(out, centreHz, mBandwidth.GetLastValue(), mGain.GetLastValue());
    return true;
}

} // namespace DSP
