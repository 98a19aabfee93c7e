#include "DSP/Processing/Transformations/FDCombFilter.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMathBlock.hpp"

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
    if (mLinearMag.size() < kPreparedBins)
        mLinearMag.resize(kPreparedBins);
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

    // A dB input is read through a linear copy of its magnitudes, made before out (which may
    // be in itself) is touched.
    const bool inIsDb = in.GetScale().GetValue() == EScale::eLog;
    if (inIsDb) {
        if (static_cast<int>(mLinearMag.size()) < n)
            mLinearMag.resize(static_cast<std::size_t>(n));
        const float* inMag = in.GetMagBuffer().GetPtr();
        for (int k = 0; k < n; ++k)
            mLinearMag[static_cast<std::size_t>(k)] = DbToLinearWithSilence(inMag[k]);
    }
    out.SetSize(n);
    const bool outWasDb = out.GetScale().GetValue() == EScale::eLog;
    if (outWasDb)
        out.SetScale(EScale(EScale::eLinear));
    CombFilterPolar(inIsDb ? mLinearMag.data() : in.GetMagBuffer().GetPtr(),
                    in.GetPhaseBuffer().GetPtr(), radPerBin, n, out.GetMagBuffer().GetPtr(),
                    out.GetPhaseBuffer().GetPtr());

    if (outWasDb)
        out.ToDB();
    return true;
}

} // namespace DSP
