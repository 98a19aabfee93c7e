#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"
#include "DSP/Processing/Transformations/HLNTransformation.hpp"
#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"

namespace DSP {

// The spectral shapeshifter program: moves the spectral envelope (the formants) of the peaks
// up by mAmount Hz (initially 200; the program offers 20 ... 10000) while keeping their
// frequencies and phases.
//
// Do(peaks in, out): extracts the envelope of in (spline through the peaks, at most 200
// points), moves every point of its magnitude curve by the shift (below the moved first point
// the curve holds that point's value) and gives each peak of out the moved curve's magnitude
// at its frequency. Frames the envelope cannot be built from (fewer than four peaks, or
// peaks without finite values at ascending frequencies) and a shift that would make two
// points meet are passed through unchanged with the result false. A non-finite shift counts
// as 0. Do(frame in, out) does that on the spectral peaks only. in and out may be the same
// object.
//
// Real time: the envelope is sized for 200 points at configuration; no allocation once out
// has held in's number of peaks. Do on the render thread; mAmount may be written from another
// thread and is read once per Do. Configured with a default FrameTransformationConfig when
// built.
class HLNSpectralShapeShift : public HLNTransformation {
public:
    HLNSpectralShapeShift();

    const char* GetDSPClassName() const override { return "HLNSpectralShapeShift"; }

    bool Do(const SpectralPeakArray& in, SpectralPeakArray& out);
    bool Do(const Frame& in, Frame& out) override;
    // Runs Do on the peaks of "In SpectralPeaks" and "Out SpectralPeaks", consumes, produces.
    bool Do() override;

    // mAmount = 200.
    bool InitControls() override;

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // Moves the envelope's magnitude curve up by shiftHz; false when two points would meet.
    bool ShiftEnvelope(float shiftHz);

    SpectralEnvelopeExtract mExtract;
    SpectralEnvelopeApply mApply;
    Spectrum mEnvelope;
    InPort<SpectralPeakArray> mInput{"In SpectralPeaks", this};
    OutPort<SpectralPeakArray> mOutput{"Out SpectralPeaks", this};
};

} // namespace DSP
