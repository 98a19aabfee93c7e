#include "Quorvel/Transformations/HLN/HLNSpectralShapeShift.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

namespace DSP {

namespace {
constexpr float kInitialShiftHz = 200.f;
} // namespace

HLNSpectralShapeShift::HLNSpectralShapeShift() {
    Configure(FrameTransformationConfig());
}

bool HLNSpectralShapeShift::ConcreteConfigure(const ProcessingConfig& config) {
    if (!StoreTransformationConfig(*this, config, mConfig))
        return false;
    mExtract.PrepareEnvelope(mEnvelope);
    return true;
}

bool HLNSpectralShapeShift::InitControls() {
    mAmount.store(kInitialShiftHz, std::memory_order_relaxed);
    return true;
}

bool HLNSpectralShapeShift::Do(const SpectralPeakArray& in, SpectralPeakArray& out) {
    const float shiftHz = FiniteOrZero(mAmount.load(std::memory_order_relaxed));
    if (!mConfig.GetInPlace())
        CopyReusingStorage(out, in);
    mEnvelope.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
    if (!mExtract.Do(in, mEnvelope) || !ShiftEnvelope(shiftHz)) {
        CopyReusingStorage(out, in);
        return false;
    }
    return mApply.Do(in, mEnvelope, out);
}

bool HLNSpectralShapeShift::ShiftEnvelope(float shiftHz) {
    BPFTmpl<float, float>& mag = mEnvelope.GetMagBPF();
    // Points a few Hz apart far above the shift could round onto one abscissa; the spline and
    // every lookup divide by the distance between neighbours.
    float previousHz = 0.f;
    for (int i = 0; i < mag.Size(); ++i) {
        const float movedHz = mag.GetXValue(i) + shiftHz;
        if (i > 0 && !(movedHz > previousHz))
            return false;
        previousHz = movedHz;
    }
    for (int i = 0; i < mag.Size(); ++i)
        mag.SetXValue(i, mag.GetXValue(i) + shiftHz);
    mag.UpdateSplineTable();
    return true;
}

bool HLNSpectralShapeShift::Do(const Frame& in, Frame& out) {
    return Do(in.GetSpectralPeakArray(), out.GetSpectralPeakArray());
}

bool HLNSpectralShapeShift::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetData());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
