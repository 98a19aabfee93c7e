#include "Quorvel/Transformations/HLN/HLNPitchDiscretization.hpp"

#include "DSP/Misc/FastMath.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {
constexpr float kInitialCorrectionPercent = 100.f;
constexpr float kInitialRatePercent = 25.f;
constexpr float kShifterError = 10.f;
// The scale's reference (an A) and the semitone step, both in single precision.
constexpr float kReferenceHz = 55.f;
constexpr float kSemitoneRatio = 1.0594630241394043f;
// ln 2 as the single-precision value it was written with.
constexpr double kLn2 = 0.6931471824645996;

// The nearest note to f0Hz: the ratio in single precision, the logarithm in double, and the
// semitone count rounded (ties to even) after going back to single precision.
float NearestNoteHz(float f0Hz) {
    const float ratio = f0Hz / kReferenceHz;
    const auto semitones = static_cast<float>(std::log(static_cast<double>(ratio)) * 12.0 / kLn2);
    return kReferenceHz * DSP_pow(kSemitoneRatio, std::nearbyint(semitones));
}
} // namespace

HLNPitchDiscretization::HLNPitchDiscretization() {
    Configure(FrameTransformationConfig());
    InitControls();
}

bool HLNPitchDiscretization::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNPitchDiscretization::InitControls() {
    mAmount.store(kInitialCorrectionPercent, std::memory_order_relaxed);
    mRate.DoControl(kInitialRatePercent);
    mPitchShift.GetErrorControl().DoControl(kShifterError);
    return true;
}

bool HLNPitchDiscretization::Do(const Frame& in, Frame& out) {
    Do(in.GetSpectralPeakArray(), in.GetFundamental(), in.GetResidualSpec(),
       out.GetSpectralPeakArray(), out.GetFundamental(), out.GetResidualSpec());
    MakeHarmonicOutputFinite(out);
    return true;
}

bool HLNPitchDiscretization::Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                                const Spectrum& residual, SpectralPeakArray& outPeaks,
                                Fundamental& outFundamental, Spectrum& outResidual) {
    const float correctionPercent = mAmount.load(std::memory_order_relaxed);
    const float ratePercent = mRate.GetLastValue();
    outPeaks = peaks;
    outFundamental = fundamental;
    outResidual = residual;
    const float f0 = FirstCandidateFreq(fundamental);
    if (!(f0 > 0.f))
        return true;
    const float targetHz = NearestNoteHz(f0);
    // A fundamental beyond the scale's float range has no note: it passes like an unvoiced one.
    if (!std::isfinite(targetHz))
        return true;
    const float factor = ShiftFactor(f0, targetHz, correctionPercent, ratePercent);
    mPitchShift.mAmount.store(factor, std::memory_order_relaxed);
    mPitchShift.Do(peaks, fundamental, residual, outPeaks, outFundamental, outResidual);
    mLastOutputHz = factor * f0;
    SetSingleCandidate(outFundamental, mLastOutputHz);
    mLastTargetHz = targetHz;
    return true;
}

float HLNPitchDiscretization::ShiftFactor(float f0Hz, float targetHz, float correctionPercent,
                                          float ratePercent) const {
    const float q = targetHz / f0Hz;
    const float a = correctionPercent * 0.01f;
    float k = q > 1.f ? 1.f + (q - 1.f) * a : 1.f - a * (1.f - q);
    if (targetHz == mLastTargetHz) {
        const float r = ratePercent * 0.01f;
        const float last = mLastOutputHz;
        k = std::max(last * (1.f - r) / f0Hz, std::min((r + 1.f) * last / f0Hz, k));
    }
    // A correction or rate far outside 0 … 100 % can ask for no transposition the shifter
    // can make; the pitch then stays where it is, and nothing unusable enters the state.
    if (!(k > 0.f) || !std::isfinite(k * f0Hz))
        return 1.f;
    return k;
}

bool HLNPitchDiscretization::Do() {
    return mPorts.Run([this](auto&... tokens) { return Do(tokens...); });
}

} // namespace DSP
