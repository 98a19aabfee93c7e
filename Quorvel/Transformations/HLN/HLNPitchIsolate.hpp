#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFramePorts.hpp"

namespace DSP {

// The pitch-isolate program: keeps only the pitch of a voice. A frame is accepted when it
// has more than nine peaks and a fundamental of at least 40 Hz whose error is at most
// mAmount · 0.02; from the third accepted frame in a row on, the output is one sinusoid at
// the fundamental with the loudness of the first input peak. Every other frame is silent.
// The residual is always silent.
//
// One Do(frame, frame) reads the input frame's peaks, fundamental and residual spectrum and
// writes the output frame's peaks (none or one, or all of them when mAmount is 0),
// fundamental (the input's candidates) and residual (the input's size, every magnitude and
// phase 0).
//
// mAmount: the voice threshold in percent (initially 25), written from another thread and
// read once per Do. Real time: Do never allocates once the output holds frames of the
// input's sizes. Everything else belongs to the render thread.
class HLNPitchIsolate : public HLNTransformation {
public:
    HLNPitchIsolate() = default;

    const char* GetDSPClassName() const override { return "HLNPitchIsolate"; }

    bool Do(const Frame& in, Frame& out) override;
    bool Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
            const Spectrum& residual, SpectralPeakArray& outPeaks, Fundamental& outFundamental,
            Spectrum& outResidual);
    bool Do() override;
    using HLNTransformation::Do;

    // Threshold 25 %, no accepted frames, last fundamental 0.
    bool InitControls() override;

    // Accepted frames in a row (it stops counting once the sinusoid sounds).
    int GetAcceptedFrames() const { return mAcceptedFrames; }
    float GetLastFundamental() const { return mLastFundamental; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    HarmonicFramePorts mPorts{this};

    int mAcceptedFrames = 0;
    float mLastFundamental = 0.f;
};

} // namespace DSP
