#include "DSP/Processing/Transformations/FDCombFilter.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"

#include <cmath>

namespace DSP {

namespace {

constexpr double kTwoPi = 6.283185307179586;

} // namespace

FDCombFilter::FDCombFilter() {
    Configure(FDCombFilterConfig());
}

FDCombFilter::FDCombFilter(const FDCombFilterConfig& config) {
    Configure(config);
}

namespace {
constexpr int kPreparedBins = 1025;
} // namespace

bool FDCombFilter::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* combConfig = dynamic_cast<const FDCombFilterConfig*>(&config);
    if (combConfig == nullptr) {
        AddConfigErrorMessage("FDCombFilter needs an FDCombFilterConfig.");
        return false;
    }
    mConfig = *combConfig;
    // Room for the linear copy of the largest spectrum the harmonic path filters (a
    // 2048-point transform), so that filtering never allocates.
    SpectrumConfig linearForm;
    linearForm.SetSize(kPreparedBins);
    mLinearIn.Configure(linearForm);
    return true;
}

bool FDCombFilter::Do() {
    throw ErrAssertionFailed("FDCombFilter::Do(): Supervised mode not implemented", __FILE__,
                             __LINE__);
}

bool FDCombFilter::Do(const Spectrum& in, Spectrum& out) {
    const float freqHz = mFrequency.GetLastValue();
    if (!(freqHz > 0.f))
        return false;
    DSP_CHECK(in.GetType().IsSetFlag(SpecTypeFlags::eMagPhase) &&
                  out.GetType().IsSetFlag(SpecTypeFlags::eMagPhase),
              "FDCombFilter::Do(): both spectra need magnitude and phase buffers");
    const int n = in.GetSize();
    // The comb's period in bins; a frequency so small that the angle per bin (or the last
    // bin's angle) overflows has no usable response.
    const float periodBins = 2.f * (freqHz / GlobalProcessInfo::GetSampleRate() * n);
    const double radPerBin = kTwoPi / periodBins;
    if (!std::isfinite(static_cast<float>(radPerBin * n)))
        return false;

    out.SetSize(n);
    CopyReusingStorage(mLinearIn, in);
    mLinearIn.ToLinear();
    const bool outWasDb = out.GetScale().GetValue() == EScale::eLog;
    if (outWasDb)
        out.SetScale(EScale(EScale::eLinear));

    const Array<float>& inMag = mLinearIn.GetMagBuffer();
    const Array<float>& inPhase = mLinearIn.GetPhaseBuffer();
    Array<float>& outMag = out.GetMagBuffer();
    Array<float>& outPhase = out.GetPhaseBuffer();
    for (int k = 0; k < n; ++k) {
        const auto theta = static_cast<float>(k * radPerBin);
        const float hRe = (1.f + DSP_cos(theta)) / 2.f;
        const float hIm = (1.f - DSP_sin(theta)) / 2.f;
        const float zRe = inMag[k] * DSP_cos(inPhase[k]);
        const float zIm = inMag[k] * DSP_sin(inPhase[k]);
        const float re = hRe * zRe - hIm * zIm;
        const float im = hRe * zIm + hIm * zRe;
        // DSP_sqrt gives 0 for a zero product.
        outMag[k] = DSP_sqrt(re * re + im * im);
        outPhase[k] = DSP_atan2(im, re);
    }

    if (outWasDb)
        out.ToDB();
    return true;
}

} // namespace DSP
