#include "DSP/Processing/Analysis/SpectralEnvelopeExtract.hpp"

#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {

// Where the extension beyond the last peak stops falling, per scale.
constexpr float kFloorDb = -200.f;
constexpr float kFloorLinear = 1e-10f;
// Point 0 lies this far below the first peak: 3 dB, or half the magnitude.
constexpr float kFirstPointDropDb = 3.f;
constexpr float kFirstPointFactor = 0.5f;
// The extension falls by this many dB per multiple of the last peak's frequency (12 dB
// from f to 2f); on a linear scale the same slope is the factor 0.06 per multiple.
constexpr float kSlopeDbPerMultiple = -12.f;
constexpr float kSlopeFactorPerMultiple = 0.06f;

const SpecTypeFlags& EnvelopeType() {
    static const SpecTypeFlags type({SpecTypeFlags::eMagPhaseBPF});
    return type;
}

// An envelope needs finite magnitudes at finite, strictly ascending, positive frequencies:
// the functions' lookups and the spline both divide by the distance between points.
bool UsablePeaks(const SpectralPeakArray& peaks, int n) {
    float previousHz = 0.f;
    for (int i = 0; i < n; ++i) {
        const float freqHz = peaks.GetFreq(i);
        if (!std::isfinite(freqHz) || !std::isfinite(peaks.GetMag(i)) || !(freqHz > previousHz))
            return false;
        previousHz = freqHz;
    }
    return true;
}

void SizeFunction(BPFTmpl<float, float>& bpf, int points) {
    if (bpf.AllocatedSize() < points)
        bpf.Resize(points);
    bpf.SetSize(points);
}

void SetPoint(BPFTmpl<float, float>& bpf, int i, float x, float y) {
    bpf.SetXValue(i, x);
    bpf.SetValue(i, y);
}

} // namespace

SpectralEnvelopeExtract::SpectralEnvelopeExtract() {
    Configure(SpectralEnvelopeExtractConfig());
}

SpectralEnvelopeExtract::SpectralEnvelopeExtract(const SpectralEnvelopeExtractConfig& config) {
    Configure(config);
}

bool SpectralEnvelopeExtract::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* extractConfig = dynamic_cast<const SpectralEnvelopeExtractConfig*>(&config);
    if (extractConfig == nullptr) {
        AddConfigErrorMessage("SpectralEnvelopeExtract needs a SpectralEnvelopeExtractConfig.");
        return false;
    }
    // Point 0 and two peaks are the fewest points a spline can pass through.
    if (extractConfig->GetMaxPoints() < 3) {
        AddConfigErrorMessage("SpectralEnvelopeExtract needs at least 3 envelope points.");
        return false;
    }
    mConfig = *extractConfig;
    mMagBPF.SetIntpType(mConfig.GetInterpolationType());
    mPhaseBPF.SetIntpType(EInterpolation(EInterpolation::eLinear));
    return true;
}

bool SpectralEnvelopeExtract::Do() {
    throw ErrAssertionFailed("SpectralEnvelopeExtract::Do(): Supervised mode not implemented",
                             __FILE__, __LINE__);
}

void SpectralEnvelopeExtract::PrepareEnvelope(Spectrum& envelope) const {
    const int maxPoints = mConfig.GetMaxPoints();
    envelope.SetType(EnvelopeType());
    envelope.SetSize(maxPoints);
    envelope.SetBPFSize(maxPoints);
    BPFTmpl<float, float>& mag = envelope.GetMagBPF();
    mag.Init(); // distinct abscissas, so that the spline storage can be sized by building it
    mag.UpdateSplineTable();
    envelope.SetSize(0);
    envelope.SetBPFSize(0);
}

bool SpectralEnvelopeExtract::Do(const SpectralPeakArray& peaks, Spectrum& envelope) {
    // The envelope takes the extractor's interpolation types. Its points are only replaced
    // once the peaks are known to be usable, so a refused frame leaves them as they were.
    envelope.SetScale(peaks.GetScale());
    envelope.SetType(EnvelopeType());
    envelope.GetMagBPF().SetIntpType(mMagBPF.GetInterpolation());
    envelope.GetPhaseBPF().SetIntpType(mPhaseBPF.GetInterpolation());

    const int nPeaks = peaks.GetnPeaks();
    if (nPeaks < 4)
        return false;
    const int nUsed = std::min(nPeaks, mConfig.GetMaxPoints() - 1);
    if (!UsablePeaks(peaks, nUsed))
        return false;

    const int nPoints = WritePoints(peaks, nUsed, envelope);
    envelope.SetSize(nPoints); // also sizes both functions
    envelope.SetBPFSize(nPoints);
    envelope.GetMagBPF().UpdateSplineTable();
    return true;
}

int SpectralEnvelopeExtract::WritePoints(const SpectralPeakArray& peaks, int nUsed,
                                         Spectrum& envelope) const {
    const int maxPoints = mConfig.GetMaxPoints();
    BPFTmpl<float, float>& mag = envelope.GetMagBPF();
    BPFTmpl<float, float>& phase = envelope.GetPhaseBPF();
    SizeFunction(mag, maxPoints);
    SizeFunction(phase, maxPoints);

    for (int i = 0; i < nUsed; ++i) {
        SetPoint(mag, i + 1, peaks.GetFreq(i), peaks.GetMag(i));
        SetPoint(phase, i + 1, peaks.GetFreq(i), FiniteOrZero(peaks.GetPhase(i)));
    }
    int nPoints = nUsed + 1;

    const bool isDb = peaks.GetScale().GetValue() == EScale::eLog;
    const float firstMag = peaks.GetMag(0);
    SetPoint(mag, 0, 0.f, isDb ? firstMag - kFirstPointDropDb : kFirstPointFactor * firstMag);
    SetPoint(phase, 0, 0.f, 0.f);

    // Beyond the last peak the points keep the spacing of the last two peaks and fall with
    // the distance from the last one, relative to its frequency.
    const float lastHz = peaks.GetFreq(nUsed - 1);
    const float spacingHz = lastHz - peaks.GetFreq(nUsed - 2);
    float x = lastHz + spacingHz;
    float m = peaks.GetMag(nUsed - 1);
    const float floor = isDb ? kFloorDb : kFloorLinear;
    while (m > floor && nPoints < maxPoints) {
        const float multiple = x / lastHz - 1.f;
        m = isDb ? m + multiple * kSlopeDbPerMultiple
                 : m * DSP_pow(kSlopeFactorPerMultiple, multiple);
        SetPoint(mag, nPoints, x, m);
        SetPoint(phase, nPoints, x, 0.f);
        ++nPoints;
        x += spacingHz;
    }
    return nPoints;
}

} // namespace DSP
