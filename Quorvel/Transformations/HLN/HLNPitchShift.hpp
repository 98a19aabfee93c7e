#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"
#include "DSP/Processing/Transformations/FDCombFilter.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"

#include <cstdint>

namespace DSP {

// The pitch-shift program, and the transposer inside the robotization, the pitch quantizer
// and the harmonizer: multiplies the frequencies of the sinusoidal peaks and of the
// fundamental by a ratio, keeps the spectral envelope (timbre) of the untransposed peaks and
// comb-filters the residual at the new pitch.
//
// One Do(frame, frame) reads the input frame's peaks (dB or linear), fundamental (Hz) and
// residual spectrum (magnitude/phase, 513 bins in the engine) and writes the same members of
// the output frame. A peak whose transposed frequency reaches half the sample rate is dropped
// with every peak after it. A frame without a fundamental, without peaks, or whose first
// candidate's error exceeds "Error" · 0.04 passes unchanged, as does every frame while the
// ratio is exactly 1 (or not a positive finite number).
//
// The sinusoidal-spectrum core (used by the harmonizer and by the port-driven Do) writes the
// transposed peaks as a complex spectrum of 513 bins instead, with continued phases.
//
// mAmount: the frequency ratio (initially 2^0.25). Controls: "Harmonic" (Hz; overwritten
// with the fundamental of every frame that reaches the transposition; a positive value makes
// the next frame extract the envelope), "Error" (percent-like threshold, initially 10),
// "IgnoreResidual" (below 0.01 the residual is comb-filtered, otherwise left as it was).
// mAmount and the controls may be written from another thread; each Do reads them once.
//
// Real time: Configure sizes the work peaks (500), the envelope and the sine synthesis for
// 513 bins; Do never allocates for frames of those sizes. Everything else belongs to the
// render thread. Non-finite peak values, fundamentals or errors never reach the output of a
// transposed frame or the state carried between frames.
class HLNPitchShift : public HLNTransformation {
public:
    HLNPitchShift();

    const char* GetDSPClassName() const override { return "HLNPitchShift"; }

    bool Do(const Frame& in, Frame& out) override;
    // The peaks core: transposed peaks, fundamental and comb-filtered residual.
    bool Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
            const Spectrum& residual, SpectralPeakArray& outPeaks, Fundamental& outFundamental,
            Spectrum& outResidual);
    // The sinusoidal-spectrum core: the transposed peaks synthesized into outSinSpectrum.
    bool Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
            const Spectrum& residual, Spectrum& outSinSpectrum, Fundamental& outFundamental,
            Spectrum& outResidual);
    // The sinusoidal-spectrum core on the tokens at the ports ("Out SpectralPeaks" is
    // produced as it stands).
    bool Do() override;
    using HLNTransformation::Do;

    // Ratio 2^0.25, "Harmonic" 0, "IgnoreResidual" 0, "Error" 10.
    bool InitControls() override;

    InControl& GetHarmonicControl() { return mHarmonic; }
    InControl& GetErrorControl() { return mError; }
    InControl& GetIgnoreResidualControl() { return mIgnoreResidual; }

protected:
    // Stores the configuration, configures the sine synthesis (513 bins) and the phase
    // management, and restarts the frame counter.
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    bool ConcreteStart() override;

private:
    // The values one frame works with, read once.
    struct Settings {
        float ratio;
        float errorLimit;
        bool filterResidual;
    };
    Settings ReadSettings() const;
    // Stores the first candidate's frequency as "Harmonic" and tells whether the frame can be
    // transposed (voiced, with peaks, reliable, and a usable ratio).
    bool AcceptFrame(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                     const Settings& settings);
    // Extracts the envelope of peaks when "Harmonic" is positive; sets mEnvelopeValid.
    void ExtractEnvelope(const SpectralPeakArray& peaks);
    // Multiplies every candidate of fundamental by ratio into outFundamental.
    static void TransposeFundamental(const Fundamental& fundamental, float ratio,
                                     Fundamental& outFundamental);
    // Copies peaks into outPeaks transposed by ratio (cut at half the sample rate) and
    // re-imposes the envelope when it is valid.
    void TransposePeaks(const SpectralPeakArray& peaks, float ratio, SpectralPeakArray& outPeaks);
    void FilterResidual(const Spectrum& residual, float combHz, Spectrum& outResidual);
    // Continues the phases of mSynthPeaks and synthesizes them into outSinSpectrum.
    void SynthesizeSines(float pitchHz, Spectrum& outSinSpectrum);

    InControl mHarmonic{"Harmonic", this};
    InControl mError{"Error", this};
    InControl mIgnoreResidual{"IgnoreResidual", this};
    InPort<SpectralPeakArray> mInPeaks{"In SpectralPeaks", this};
    InPort<Fundamental> mInFundamental{"In Fundamental", this};
    InPort<Spectrum> mInSpectrum{"In Spectrum", this};
    OutPort<SpectralPeakArray> mOutPeaks{"Out SpectralPeaks", this};
    OutPort<Fundamental> mOutFundamental{"Out Fundamental", this};
    OutPort<Spectrum> mOutSinSpectrum{"Out Sin Spectrum", this};
    OutPort<Spectrum> mOutResSpectrum{"Out Res Spectrum", this};

    SpectralEnvelopeExtract mEnvelopeExtract;
    SpectralEnvelopeApply mEnvelopeApply;
    Spectrum mEnvelope;
    bool mEnvelopeValid = false;
    FDCombFilter mCombFilter;
    InControl* mCombFrequency = nullptr;

    SynthSineSpectrum mSynthSine;
    PhaseManagement mPhaseManagement;
    InControl* mCurrentTime = nullptr;
    InControl* mCurrentPitch = nullptr;
    std::int64_t mFrameCounter = 0;
    // The peaks the sinusoidal-spectrum core transposes and synthesizes.
    SpectralPeakArray mSynthPeaks;
};

} // namespace DSP
