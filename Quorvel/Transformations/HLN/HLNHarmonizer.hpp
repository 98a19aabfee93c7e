#pragma once

#include "DSP/Data/Complex.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "Quorvel/Transformations/TokenDelay.hpp"

#include <array>
#include <cstdint>

namespace DSP {

// The harmonizer program: adds two accompanying voices to a monophonic input. Each voice is
// a transposed copy of the analysed frame made by its own pitch shifter, delayed by a whole
// number of frames and mixed at its own gain. The output carries only the two voices: its
// sinusoidal spectrum (complex, 513 bins) is built here and marked ready for the synthesis,
// and its residual holds the voices' summed magnitudes on the input's phases. The dry voice
// comes back through the engine's dry/wet mix.
//
// One Do(in, out) reads in's peaks, fundamental and residual spectrum (magnitude/phase, 513
// bins in the engine) and writes the whole of out (out starts as a copy of in; in and out
// may be the same frame). out's peaks keep their frequencies and get continued phases.
//
// Controls, in these units (initial value): "Transposition1" (ratio, 2^(-5/12)), "Gain1"
// (dB, -10), "Transposition2" (ratio, 2^(1/4)), "Gain2" (dB, -10), "Delay1" (ms, 3),
// "Delay2" (ms, 6), "IgnoreResidual" (0; forwarded to both shifters). "Index", "UpdateBPF",
// "Delay" and "Feedback" exist but change nothing. A delay becomes whole frames at the
// current rate and hop (truncated), held at the longest the lines give; a gain at or below
// -80 dB silences its voice. Controls may be written from another thread; each Do
// reads them once.
//
// Real time: Configure sizes the shifters, the voice frames and every slot of the six delay
// lines for 513-bin spectra, so Do never allocates for frames of those sizes. The lines hold
// as many frames as the longest delay (500 ms) needs at the sample rate of the configuration
// (87 at 44.1 kHz), at most 500; configure again after changing the rate. The port-driven
// Do() always throws. Everything except the controls belongs to the render thread.
class HLNHarmonizer : public HLNTransformation {
public:
    // The most frames a delay line holds, and the longest delay the parameters reach.
    static constexpr std::uint32_t kMaxDelayFrames = 500;
    static constexpr float kLongestDelayMs = 500.f;

    HLNHarmonizer();

    const char* GetDSPClassName() const override { return "HLNHarmonizer"; }

    bool Do(const Frame& in, Frame& out) override;
    // Not available: throws ErrAssertionFailed("Do with ports not implemented").
    bool Do() override;
    using HLNTransformation::Do;

    // The initial values above, in that order, and "Error" 10 for both shifters.
    bool InitControls() override;

protected:
    // Stores the configuration, reconfigures both shifters, the sine synthesis, the phase
    // management and the delay lines (emptying them), and restarts the frame counter.
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    // Starts the lines, the synthesis, the phase management and both shifters, then resets
    // the controls.
    bool ConcreteStart() override;

private:
    // One accompanying voice: its shifter, what the shifter writes, the delay lines of what
    // is mixed (residual magnitudes and sinusoidal bins) and the slots they return this frame
    // (null while the lines have not reached their delay; valid until the next push).
    struct Voice {
        InControl* transposition = nullptr;
        InControl* gainDb = nullptr;
        InControl* delayMs = nullptr;
        HLNPitchShift shifter;
        Frame output;
        TokenDelay<Array<float>> magDelay;
        TokenDelay<Array<ComplexTmpl<float>>> sinDelay;
        const Array<float>* delayedMags = nullptr;
        const Array<ComplexTmpl<float>>* delayedSines = nullptr;
    };

    bool ConfigureVoice(Voice& voice);
    // Continues the phases of out's peaks, and gives out's sinusoidal spectrum the complex
    // form and size a synthesis of them would. The input's own sinusoids are not synthesized:
    // the wet output holds the voices alone, so that spectrum is cleared before they are mixed.
    void PrepareOutput(Frame& out);
    // Delay in ms to whole frames at the current rate and hop, held within the lines.
    float DelayFrames(float delayMs) const;
    // The line capacity the longest delay needs at the current rate.
    static std::uint32_t LineFrames();
    // Transposes in into the voice's output and passes it through the voice's lines.
    void RunVoice(Voice& voice, const Frame& in, float ratio, float delayFrames);
    // Residual magnitudes to 0 (the sinusoidal bins are silent since PrepareOutput, which
    // must not clear these: in place, the voices read them); residual phases stay the input's.
    static void ClearWet(Frame& out);
    // Adds the voice's delayed residual magnitudes and sinusoidal bins (both lines have
    // returned a slot), times gain, to out.
    static void MixFrames(Frame& out, const Voice& voice, float gain);

    int ForwardIgnoreResidual(float value);
    int UpdateBPF(float) { return 0; }

    InControl mTransposition1{"Transposition1", this};
    InControl mGain1{"Gain1", this};
    InControl mTransposition2{"Transposition2", this};
    InControl mGain2{"Gain2", this};
    InControl mDelay1{"Delay1", this};
    InControl mDelay2{"Delay2", this};
    InControlTmpl<HLNHarmonizer> mIgnoreResidual{"IgnoreResidual", this,
                                                 &HLNHarmonizer::ForwardIgnoreResidual};
    InControl mIndex{"Index", this};
    InControlTmpl<HLNHarmonizer> mUpdateBPF{"UpdateBPF", this, &HLNHarmonizer::UpdateBPF};
    InControl mDelay{"Delay", this};
    InControl mFeedback{"Feedback", this};

    std::array<Voice, 2> mVoices;
    SynthSineSpectrum mSynthSine;
    PhaseManagement mPhaseManagement;
    InControl* mCurrentTime = nullptr;
    InControl* mCurrentPitch = nullptr;
    std::int64_t mFrameCounter = 0;
    bool mVoiceFramesInitialised = false;
};

} // namespace DSP
