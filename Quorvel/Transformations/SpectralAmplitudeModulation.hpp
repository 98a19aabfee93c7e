#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"
#include "DSP/Processing/Transformations/SimpleOscillator.hpp"

namespace DSP {

// The three-band amplitude modulation program ("3 AM"): a tremolo per band. Each band's
// magnitudes are scaled by 1 + v, v the next value of the band's sine oscillator (one value
// per frame), so the band's level swings between 1 − width and 1 + width at the band's rate;
// the gains are smoothed across bins, which makes a crossfade about five bins wide at each
// boundary. Phases pass unchanged.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine; in and
// out may be the same object); out starts as a copy of in and every magnitude is rescaled. A
// product that is not finite becomes 0.
//
// Controls (initial value): "LfFreq" (4 Hz), "LfWidth" (0.25), "MfFreq" (6 Hz), "MfWidth"
// (0.25), "HfFreq" (8 Hz), "HfWidth" (0.2) — rate and depth of the low, middle and high band;
// "LowCutoff" (500 Hz, upper edge of the low band) and "HighCutoff" (2000 Hz, lower edge of
// the high band). Nothing is clamped; band limits outside the spectrum are kept within it.
//
// The oscillators run freely from construction: starting resets the controls, not the
// phases. Real time: configuration makes room for 513 bins; Do never allocates for spectra of
// up to that many bins. Controls may be written from any thread.
class SpectralAmplitudeModulation : public FrameTransformationTmpl<Spectrum> {
public:
    SpectralAmplitudeModulation();

    const char* GetDSPClassName() const override { return "SpectralAM"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // The eight controls in the order LowCutoff, HighCutoff, LfFreq, LfWidth, MfFreq, MfWidth,
    // HfFreq, HfWidth; each oscillator advances by one hop per frame.
    bool InitControls() override;

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    // Starts the oscillators, then resets the controls.
    bool ConcreteStart() override;

private:
    // One band: its rate and depth controls and its oscillator.
    struct Band {
        InControl& rate;
        InControl& width;
        SimpleOscillator& oscillator;
    };

    // The next value of the band's oscillator, rate and depth taken from its controls.
    static float NextModulation(Band band);
    // mSmoothed[k] from mGains: the five-bin kernel, mirrored about the end bins.
    void SmoothGains(int nBins);

    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
    InControl mLfFreq{"LfFreq", this};
    InControl mLfWidth{"LfWidth", this};
    InControl mMfFreq{"MfFreq", this};
    InControl mMfWidth{"MfWidth", this};
    InControl mHfFreq{"HfFreq", this};
    InControl mHfWidth{"HfWidth", this};
    InControl mLowCutoff{"LowCutoff", this};
    InControl mHighCutoff{"HighCutoff", this};
    SimpleOscillator mLowOscillator;
    SimpleOscillator mMidOscillator;
    SimpleOscillator mHighOscillator;
    // Per-bin gains of this frame, before and after smoothing.
    Array<float> mGains;
    Array<float> mSmoothed;
};

} // namespace DSP
