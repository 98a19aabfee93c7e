#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"

namespace DSP {

// Applies a gain in dB (mAmount, initially 12) to the residual spectrum of a harmonic frame;
// the sine/noise effect embeds one for its noise gain.
//
// Do(spectrum in, out): out becomes a copy of in with every magnitude raised by the gain: added
// on a dB spectrum, multiplied by 10^(gain / 20) on a linear one. Do(frame in, out) does that
// on the residual spectra and leaves the rest of out alone. in and out may be the same object.
// A non-finite gain counts as 0 dB, and a linear magnitude that would overflow becomes 0.
//
// Real time: no allocation once out has held a spectrum of in's size. Do on the render
// thread; mAmount may be written from another thread and is read once per Do. Configured with
// a default FrameTransformationConfig when built.
class HLNResidualGain : public HLNTransformation {
public:
    HLNResidualGain();

    const char* GetDSPClassName() const override { return "HLNResidualGain"; }

    bool Do(const Spectrum& in, Spectrum& out);
    bool Do(const Frame& in, Frame& out) override;
    // Runs Do on the spectra of "In Spectrum" and "Out Spectrum", consumes and produces.
    bool Do() override;

    // mAmount = 12.
    bool InitControls() override;

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
};

} // namespace DSP
