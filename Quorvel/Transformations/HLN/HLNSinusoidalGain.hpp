#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "Quorvel/Transformations/HLN/HLNResidualGain.hpp"

namespace DSP {

// The sine/noise program: sets the balance between the sinusoidal part and the residual
// (noise) part of a voice.
//
// Do(peaks in, out): out becomes a copy of in (capacity and number of peaks included) with
// mAmount (dB, initially -90, which silences the sinusoids until the parameter arrives) added
// to every peak magnitude; the peaks are taken to be in dB. Do(frame in, out) first applies
// the embedded residual gain to the residual spectra, then the peak gain to the peaks, and
// returns the latter's result. in and out may be the same object. A non-finite gain counts as
// 0 dB.
//
// Controls: mAmount (dB) and "Residual" (dB, initially 0), whose handler passes the value on
// at once to the embedded residual gain's mAmount. Both may be written from another thread;
// each Do reads each gain once.
//
// Real time: no allocation once out has held peaks and spectra of in's sizes. Configured with
// a default FrameTransformationConfig when built.
class HLNSinusoidalGain : public HLNTransformation {
public:
    HLNSinusoidalGain();

    const char* GetDSPClassName() const override { return "HLNSinusoidalGain"; }

    bool Do(const SpectralPeakArray& in, SpectralPeakArray& out);
    bool Do(const Frame& in, Frame& out) override;
    // Runs Do on the peaks of "In SpectralPeaks" and "Out SpectralPeaks", consumes, produces.
    bool Do() override;

    // mAmount = -90 and "Residual" = 0 (so the residual gain's mAmount = 0).
    bool InitControls() override;

    InControl& GetResidualControl() { return mResidual; }
    HLNResidualGain& GetResidualGain() { return mResidualGain; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    int SetResidualGain(float gainDb);

    // Configured here; the engine never starts it (its own initial 12 dB is never used).
    HLNResidualGain mResidualGain;
    InControlTmpl<HLNSinusoidalGain> mResidual{"Residual", this,
                                               &HLNSinusoidalGain::SetResidualGain};
    InPort<SpectralPeakArray> mInput{"In SpectralPeaks", this};
    OutPort<SpectralPeakArray> mOutput{"Out SpectralPeaks", this};
};

} // namespace DSP
