#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFramePorts.hpp"

namespace DSP {

// The pitch-quantizer program: pulls a voice's pitch towards the nearest note of the
// equal-tempered scale (A = 55 Hz · 2^(s/12)) by an adjustable amount, and limits how fast
// the corrected pitch may move while the target note stays the same. An embedded pitch
// shifter does the transposition.
//
// One Do(frame, frame) reads the input frame's peaks, fundamental and residual spectrum and
// writes the same members of the output frame; on a voiced frame the output fundamental is
// one candidate at the corrected pitch (error 0). Unvoiced frames pass unchanged and leave
// the state alone.
//
// mAmount: the correction in percent (100 moves onto the note, 0 leaves the pitch; initially
// 100). Control "Rate": the largest change in percent of the corrected frequency from one
// frame to the next while the note stays the same (initially 25). Both may be written from
// another thread and are read once per Do. A correction that would give no positive finite
// ratio leaves the pitch as it is. The last target and output frequencies (Hz) persist across
// starts. Real time: Do never allocates for frames of the engine's sizes.
class HLNPitchDiscretization : public HLNTransformation {
public:
    HLNPitchDiscretization();

    const char* GetDSPClassName() const override { return "HLNPitchDiscretization"; }

    bool Do(const Frame& in, Frame& out) override;
    bool Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
            const Spectrum& residual, SpectralPeakArray& outPeaks, Fundamental& outFundamental,
            Spectrum& outResidual);
    bool Do() override;
    using HLNTransformation::Do;

    // Correction 100 %, "Rate" 25 %, the embedded shifter's "Error" 10.
    bool InitControls() override;

    float GetLastTargetFrequency() const { return mLastTargetHz; }
    float GetLastOutputFrequency() const { return mLastOutputHz; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // The transposition factor for a voice at f0Hz whose nearest note is targetHz.
    float ShiftFactor(float f0Hz, float targetHz, float correctionPercent, float ratePercent) const;

    InControl mRate{"Rate", this};
    HarmonicFramePorts mPorts{this};

    HLNPitchShift mPitchShift;
    float mLastTargetHz = 0.f;
    float mLastOutputHz = 0.f;
};

} // namespace DSP
