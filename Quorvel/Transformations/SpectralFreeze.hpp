#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"

#include <atomic>

namespace DSP {

// The spectral-freeze program: on "Fire" it captures the current spectrum and from the next
// frame on outputs it indefinitely, its phases advancing by the increments measured at the
// capture (so the held sound does not buzz at the hop rate) and its magnitudes decaying with
// separate times below and above a cutoff, until "Reset" releases it.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine); out
// starts as a copy of in. Controls, set by name: "HighCutoff" (Hz, boundary of the two
// bands), "LowDecay" and "HighDecay" (seconds to fall by 60 dB; 1.1920929e-7 or less, and
// NaN, silence the band), "Fire" and "Reset" (triggers: a value above 0.1 acts).
//
// Real time: Configure makes room for 513 bins; Do never allocates for spectra of up to that
// many bins. Controls (triggers included) may be written from any thread; a "Fire" that
// arrives during a frame is captured at the next one.
class SpectralFreeze : public FrameTransformationTmpl<Spectrum> {
public:
    SpectralFreeze();

    const char* GetDSPClassName() const override { return "SpectralFreeze"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // HighCutoff 1000, LowDecay 20, HighDecay 12, Fire 0. A running freeze keeps running.
    bool InitControls() override;
    // Does nothing: selecting the program does not end a freeze.
    bool Reset() override { return true; }

    // Above 0.1: capture the next input and freeze it (again, if already frozen).
    int Fire(float value);
    // Above 0.1: end the freeze.
    int Reset(float value);

    bool IsFrozen() const { return mFrozen.load(std::memory_order_relaxed); }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // Sizes every state array to nBins (new bins 0) and takes the frame duration.
    void SizeState(int nBins);
    void Capture(const Spectrum& in);
    // One frozen frame: advances the phases, writes the decayed magnitudes.
    void OutputFrozen(Spectrum& out);

    InControl mHighCutoff{"HighCutoff", this};
    InControl mLowDecay{"LowDecay", this};
    InControl mHighDecay{"HighDecay", this};
    InControlTmpl<SpectralFreeze> mFire{"Fire", this, &SpectralFreeze::Fire};
    InControlTmpl<SpectralFreeze> mReset{"Reset", this, &SpectralFreeze::Reset};
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};

    Array<float> mPreviousPhases;
    Array<float> mIncrements;
    Array<float> mFrozenPhases;
    Array<float> mFrozenLowMags;
    Array<float> mFrozenHighMags;
    // The band boundary as a bin index within 0 … n, and the decays read for this frame.
    float mCutoffBin = 0.f;
    float mLowDecaySec = 0.f;
    float mHighDecaySec = 0.f;
    float mElapsedSec = 0.f;
    float mFrameDurationSec = 0.f;
    // Written by the triggers (any thread), read and cleared by Do.
    std::atomic<bool> mFrozen{false};
    std::atomic<bool> mCapturePending{false};
};

} // namespace DSP
