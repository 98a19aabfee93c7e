#include "DSP/Processing/Transformations/SpectralEnvelopeApply.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"

namespace DSP {

namespace {

void CheckSameScale(const EScale& in, const Spectrum& envelope) {
    DSP_CHECK(in.GetValue() == envelope.GetScale().GetValue(),
              "You are trying to apply an envelope that has a different scale");
}

} // namespace

SpectralEnvelopeApply::SpectralEnvelopeApply() {
    Configure(SpectralEnvelopeApplyConfig());
}

SpectralEnvelopeApply::SpectralEnvelopeApply(const SpectralEnvelopeApplyConfig& config) {
    Configure(config);
}

bool SpectralEnvelopeApply::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* applyConfig = dynamic_cast<const SpectralEnvelopeApplyConfig*>(&config);
    if (applyConfig == nullptr) {
        AddConfigErrorMessage("SpectralEnvelopeApply needs a SpectralEnvelopeApplyConfig.");
        return false;
    }
    mConfig = *applyConfig;
    return true;
}

bool SpectralEnvelopeApply::Do() {
    throw ErrAssertionFailed("SpectralEnvelopeApply::Do(): Supervised mode not implemented",
                             __FILE__, __LINE__);
}

bool SpectralEnvelopeApply::Do(const SpectralPeakArray& in, const Spectrum& envelope,
                               SpectralPeakArray& out) {
    CheckSameScale(in.GetScale(), envelope);
    out.SetScale(in.GetScale());
    if (out.GetnMaxPeaks() != in.GetnMaxPeaks())
        out.SetnMaxPeaks(in.GetnMaxPeaks());
    if (out.GetnPeaks() != in.GetnPeaks())
        out.SetnPeaks(in.GetnPeaks());

    const BPFTmpl<float, float>& mag = envelope.GetMagBPF();
    for (int i = 0; i < in.GetnPeaks(); ++i) {
        const float freqHz = in.GetFreq(i);
        out.SetPhase(i, in.GetPhase(i));
        out.SetMag(i, mag.GetValue(freqHz));
        out.SetFreq(i, freqHz);
    }
    return true;
}

bool SpectralEnvelopeApply::Do(const Spectrum& in, const Spectrum& envelope, Spectrum& out) {
    CheckSameScale(in.GetScale(), envelope);
    // Without magnitude buffers there is nothing of the right size to write into.
    DSP_CHECK(in.GetType().IsSetFlag(SpecTypeFlags::eMagPhase),
              "SpectralEnvelopeApply::Do(): the spectrum needs magnitude and phase buffers");
    CopyReusingStorage(out, in);

    const BPFTmpl<float, float>& mag = envelope.GetMagBPF();
    Array<float>& outMag = out.GetMagBuffer();
    const int n = in.GetSize();
    // The frequency advances by a running sum, bin after bin, in single precision.
    const float binSpacingHz = GlobalProcessInfo::GetSpectralRange() / static_cast<float>(n - 1);
    float freqHz = 0.f;
    for (int k = 0; k < n; ++k) {
        outMag[k] = mag.GetValue(freqHz);
        freqHz += binSpacingHz;
    }
    return true;
}

} // namespace DSP
