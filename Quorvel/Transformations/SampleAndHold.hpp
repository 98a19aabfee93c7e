#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

namespace DSP {

// The spectral sample-and-hold program: captures a spectrum, holds it for the hold time while
// its phases keep advancing by the increment measured over the frame after the capture, then
// captures the next one: a stepped, frozen-in-time version of the input. A hold lasts
// ⌊h / frame duration⌋ + 2 frames (36 frames for 200 ms at 44.1 kHz, hop 256).
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine); out
// starts as a copy of in. No named control: the hold time h is mAmount, in milliseconds (200
// after InitControls), written directly by the engine from any thread. h below 1 ms (or NaN)
// passes the input through.
//
// Real time: Configure makes room for 513 bins; Do never allocates for spectra of up to that
// many bins.
class SampleAndHold : public FrameTransformationTmpl<Spectrum> {
public:
    SampleAndHold() = default;

    const char* GetDSPClassName() const override { return "SampleAndHold"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // Hold time 200 ms; restarts the cycle (the next frame captures).
    bool InitControls() override;

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void Capture(const Spectrum& in);

    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};

    // The held magnitudes and running phases, and the per-frame phase increments.
    Array<float> mHeldMags;
    Array<float> mHeldPhases;
    Array<float> mIncrements;
    float mElapsedMs = 0.f;
    float mFrameDurationMs = 0.f;
    bool mIncrementPending = false;
    bool mHolding = false;
};

} // namespace DSP
