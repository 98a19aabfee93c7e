#include "Quorvel/Transformations/HLN/HLNRobotization.hpp"

#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <cmath>

namespace DSP {

namespace {
constexpr float kInitialPitchHz = 220.f;
constexpr float kShifterError = 10.f;
constexpr float kResidualGain = 0.3f;
} // namespace

HLNRobotization::HLNRobotization() {
    Configure(FrameTransformationConfig());
}

bool HLNRobotization::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNRobotization::InitControls() {
    mAmount.store(kInitialPitchHz, std::memory_order_relaxed);
    mPitchShift.GetErrorControl().DoControl(kShifterError);
    return true;
}

bool HLNRobotization::Do(const Frame& in, Frame& out) {
    Do(in.GetSpectralPeakArray(), in.GetFundamental(), in.GetSpectrum(), out.GetSpectralPeakArray(),
       out.GetFundamental(), out.GetResidualSpec());
    MakeHarmonicOutputFinite(out);
    return true;
}

bool HLNRobotization::Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                         const Spectrum& spectrum, SpectralPeakArray& outPeaks,
                         Fundamental& outFundamental, Spectrum& outResidual) {
    const float pitchHz = mAmount.load(std::memory_order_relaxed);
    outPeaks = peaks;
    outFundamental = fundamental;
    outResidual = spectrum;
    const float f0 = FirstCandidateFreq(fundamental);
    const float ratio = pitchHz / f0;
    if (f0 > 0.f && ratio > 0.f && std::isfinite(ratio)) {
        mPitchShift.mAmount.store(ratio, std::memory_order_relaxed);
        mPitchShift.Do(peaks, fundamental, spectrum, outPeaks, outFundamental, outResidual);
        mLastFundamental = FiniteOrZero(ratio * f0);
        SetSingleCandidate(outFundamental, mLastFundamental);
    }
    for (int i = 0; i < outPeaks.GetnPeaks(); ++i)
        outPeaks.SetPhase(i, 0.f);
    Array<float>& mags = outResidual.GetMagBuffer();
    Array<float>& phases = outResidual.GetPhaseBuffer();
    for (int k = 0; k < phases.Size(); ++k)
        phases[k] = 0.f;
    for (int k = 0; k < mags.Size(); ++k)
        mags[k] *= kResidualGain;
    return true;
}

bool HLNRobotization::Do() {
    return mPorts.Run([this](auto&... tokens) { return Do(tokens...); });
}

} // namespace DSP
