#include "Quorvel/Transformations/HLN/HLNPitchIsolate.hpp"

#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <cmath>

namespace DSP {

namespace {
constexpr float kInitialThresholdPercent = 25.f;
// The threshold in percent times this is the largest accepted fundamental error.
constexpr float kThresholdScale = 0.02f;
// A frame needs more peaks than this, and a fundamental at least this high, to count.
constexpr int kFewestPeaksRejected = 9;
constexpr float kLowestFundamentalHz = 40.f;
// The sinusoid sounds once more frames than this have been accepted in a row.
constexpr int kSilentAcceptedFrames = 2;

// A spectrum of residual's size and representation whose every value is 0.
void SilenceLike(const Spectrum& residual, Spectrum& out) {
    out = residual;
    for (Array<float>* buffer : {&out.GetMagBuffer(), &out.GetPhaseBuffer()})
        for (int k = 0; k < buffer->Size(); ++k)
            (*buffer)[k] = 0.f;
    Array<ComplexTmpl<float>>& complex = out.GetComplexArray();
    for (int k = 0; k < complex.Size(); ++k)
        complex[k] = ComplexTmpl<float>(0.f, 0.f);
    Array<PolarTmpl<float>>& polar = out.GetPolarArray();
    for (int k = 0; k < polar.Size(); ++k)
        polar[k] = PolarTmpl<float>(0.f, 0.f);
}
} // namespace

bool HLNPitchIsolate::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNPitchIsolate::InitControls() {
    mAmount.store(kInitialThresholdPercent, std::memory_order_relaxed);
    mAcceptedFrames = 0;
    mLastFundamental = 0.f;
    return true;
}

bool HLNPitchIsolate::Do(const Frame& in, Frame& out) {
    Do(in.GetSpectralPeakArray(), in.GetFundamental(), in.GetResidualSpec(),
       out.GetSpectralPeakArray(), out.GetFundamental(), out.GetResidualSpec());
    MakeHarmonicOutputFinite(out);
    return true;
}

bool HLNPitchIsolate::Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                         const Spectrum& residual, SpectralPeakArray& outPeaks,
                         Fundamental& outFundamental, Spectrum& outResidual) {
    const float thresholdPercent = mAmount.load(std::memory_order_relaxed);
    if (!mConfig.GetInPlace())
        outFundamental = fundamental;
    // The residual is read for its shape before outResidual (possibly the same spectrum) is
    // cleared; so are the first peak's magnitude and the peak count.
    const int nPeaks = peaks.GetnPeaks();
    const float firstMag = nPeaks > 0 ? peaks.GetMag(0) : SilentPeakMag(peaks);
    outPeaks = peaks;
    SilenceLike(residual, outResidual);
    if (fundamental.GetnCandidates() == 0) {
        outPeaks.SetnPeaks(0);
        return true;
    }
    const float f0 = FirstCandidateFreq(fundamental);
    const float error = std::fabs(fundamental.GetErr(0));
    mLastFundamental = f0;
    if (nPeaks <= kFewestPeaksRejected || !(f0 >= kLowestFundamentalHz) ||
        !(error <= thresholdPercent * kThresholdScale)) {
        outPeaks.SetnPeaks(0);
        mAcceptedFrames = 0;
        return true;
    }
    // The count stops once the sinusoid sounds, so that a long note cannot overflow it.
    if (mAcceptedFrames <= kSilentAcceptedFrames)
        ++mAcceptedFrames;
    if (mAcceptedFrames <= kSilentAcceptedFrames) {
        outPeaks.SetnPeaks(0);
        return true;
    }
    if (thresholdPercent == 0.f)
        return true;
    outPeaks.SetnPeaks(1);
    outPeaks.SetFreq(0, f0);
    outPeaks.SetMag(0, std::isfinite(firstMag) ? firstMag : SilentPeakMag(peaks));
    return true;
}

bool HLNPitchIsolate::Do() {
    return mPorts.Run([this](auto&... tokens) { return Do(tokens...); });
}

} // namespace DSP
