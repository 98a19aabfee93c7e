#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

namespace DSP {

// The spectral peak/notch program: one band around a fixed centre frequency scaled by a gain
// in dB — a peak filter for positive gains, a notch for negative ones. Phases pass unchanged.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine; in and
// out may be the same object); out starts as a copy of in (see ApplyNotchBand for the band).
//
// The centre frequency is mAmount, in Hz (initially 500), written directly by the engine.
// Controls (initial value): "Bandwidth" (12 semitones: total width, half of it truncated to
// whole semitones on each side of the centre), "Gain" (−50 dB). Nothing is clamped; band edges
// outside the spectrum are kept within it.
//
// No state; Do never allocates. Controls and mAmount may be written from any thread.
class SpectralNotch : public FrameTransformationTmpl<Spectrum> {
public:
    SpectralNotch() = default;

    const char* GetDSPClassName() const override { return "SpectralNotch"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // mAmount 500 Hz, then Bandwidth 12 and Gain −50.
    bool InitControls() override;

private:
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
    InControl mBandwidth{"Bandwidth", this};
    InControl mGain{"Gain", this};
};

} // namespace DSP
