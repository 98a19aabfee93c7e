#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFramePorts.hpp"

namespace DSP {

// The robotization program: forces a voice onto one pitch through an embedded pitch
// shifter, zeroes every phase and attenuates the residual to 0.3 of its magnitude.
//
// One Do(frame, frame) reads the input frame's peaks, fundamental and main spectrum
// (magnitude/phase, 513 bins in the engine) and writes the output frame's peaks (phases 0),
// fundamental (one candidate at the target pitch on a voiced frame) and residual spectrum
// (the main spectrum, comb-filtered at the target pitch on a voiced frame, phases 0).
// Unvoiced frames keep their peaks' frequencies and fundamental.
//
// mAmount: the target pitch in Hz (initially 220), written from another thread and read once
// per Do. A pitch that is not positive leaves the pitch alone. Real time: Do never allocates
// once the output holds frames of the input's sizes. Everything else belongs to the render
// thread.
class HLNRobotization : public HLNTransformation {
public:
    HLNRobotization();

    const char* GetDSPClassName() const override { return "HLNRobotization"; }

    bool Do(const Frame& in, Frame& out) override;
    bool Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
            const Spectrum& spectrum, SpectralPeakArray& outPeaks, Fundamental& outFundamental,
            Spectrum& outResidual);
    bool Do() override;
    using HLNTransformation::Do;

    // Pitch 220 Hz; the embedded shifter's "Error" 10.
    bool InitControls() override;

    float GetLastFundamental() const { return mLastFundamental; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    HarmonicFramePorts mPorts{this};

    HLNPitchShift mPitchShift;
    float mLastFundamental = 0.f;
};

} // namespace DSP
