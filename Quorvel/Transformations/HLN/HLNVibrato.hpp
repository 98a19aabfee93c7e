#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "DSP/Processing/Transformations/SimpleOscillator.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFramePorts.hpp"

namespace DSP {

// The vibrato program: modulates the frequencies of all peaks with a sine oscillator.
//
// Do(peaks in, out): takes the oscillator's next value v = "Width" · sin(phase), then advances
// its phase by "Samples" samples at "Freq" Hz, and sets out's frequency i to (1 + v) times
// in's; magnitudes, phases and everything else of out are in's. Do(frame in, out) does that on
// the spectral peaks only (fundamental and spectra are left alone). in and out may be the same
// object.
//
// Controls, plain values read at every Do: "Freq" (Hz, initially 5; the program offers
// 0 ... 10), "Width" (relative deviation, initially 0.05; the program offers 0 ... 1) and
// "Samples" (samples between two frames, initially 256). A frequency never turns negative or
// non-finite: the factor 1 + v is held at 0 or above and a product that overflows keeps
// in's frequency. Controls may be written from another thread.
//
// State: the oscillator's phase runs on from frame to frame and across starts; starting
// resets the controls only. Real time: no allocation once out has held in's number of peaks.
// Configured with a default FrameTransformationConfig when built.
class HLNVibrato : public HLNTransformation {
public:
    HLNVibrato();

    const char* GetDSPClassName() const override { return "HLNVibrato"; }

    bool Do(const SpectralPeakArray& in, SpectralPeakArray& out);
    bool Do(const Frame& in, Frame& out) override;
    // Runs Do on the peaks of "In SpectralPeaks" and "Out SpectralPeaks", then consumes and
    // produces on all six ports (peaks, fundamental, spectrum).
    bool Do() override;

    // "Freq" = 5, "Width" = 0.05, "Samples" = 256.
    bool InitControls() override;

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    // Starts the oscillator (its phase is kept), then InitControls.
    bool ConcreteStart() override;

private:
    InControl mFreq{"Freq", this};
    InControl mWidth{"Width", this};
    InControl mSamples{"Samples", this};
    SimpleOscillator mOscillator;
    HarmonicFramePorts mPorts{this};
};

} // namespace DSP
