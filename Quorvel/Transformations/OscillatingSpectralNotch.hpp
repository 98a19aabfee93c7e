#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"
#include "DSP/Processing/Transformations/SimpleOscillator.hpp"

namespace DSP {

// The oscillating peak/notch program: the band of SpectralNotch with its centre swept by a
// sine oscillator between (1 − depth) and (1 + depth) times the centre frequency. Phases pass
// unchanged.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine; in and
// out may be the same object); out starts as a copy of in. Each call advances the sweep by one
// 256-sample hop.
//
// The centre frequency is mAmount, in Hz (initially 1000), written directly by the engine.
// Controls (initial value): "Bandwidth" (12 semitones), "Gain" (−48 dB), "OscFreq" (0.2 Hz,
// rate of the sweep), "OscWidth" (50 %, depth of the sweep; at 100 the centre reaches 0 Hz).
// Nothing is clamped; band edges outside the spectrum are kept within it.
//
// The oscillator's phase starts at 0 at construction and runs freely: starting resets the
// controls, not the phase. Do never allocates. Controls and mAmount may be written from any
// thread.
class OscillatingSpectralNotch : public FrameTransformationTmpl<Spectrum> {
public:
    // The hop the sweep advances by per frame: the engine's.
    static constexpr float kHopSamples = 256.f;

    OscillatingSpectralNotch() = default;

    const char* GetDSPClassName() const override { return "OscillatingSpectralNotch"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // mAmount 1000 Hz, then Bandwidth 12, Gain −48, OscFreq 0.2, OscWidth 50.
    bool InitControls() override;

protected:
    // Starts the oscillator, then resets the controls.
    bool ConcreteStart() override;

private:
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
    InControl mBandwidth{"Bandwidth", this};
    InControl mGain{"Gain", this};
    InControl mOscFreq{"OscFreq", this};
    InControl mOscWidth{"OscWidth", this};
    SimpleOscillator mOscillator;
};

} // namespace DSP
