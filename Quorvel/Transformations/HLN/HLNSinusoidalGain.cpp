#include "Quorvel/Transformations/HLN/HLNSinusoidalGain.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

namespace DSP {

namespace {
constexpr float kInitialSinusoidalGainDb = -90.f;
constexpr float kInitialResidualGainDb = 0.f;
} // namespace

HLNSinusoidalGain::HLNSinusoidalGain() {
    Configure(FrameTransformationConfig());
}

bool HLNSinusoidalGain::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNSinusoidalGain::InitControls() {
    mAmount.store(kInitialSinusoidalGainDb, std::memory_order_relaxed);
    mResidual.DoControl(kInitialResidualGainDb);
    return true;
}

int HLNSinusoidalGain::SetResidualGain(float gainDb) {
    mResidualGain.mAmount.store(gainDb, std::memory_order_relaxed);
    return 0;
}

bool HLNSinusoidalGain::Do(const SpectralPeakArray& in, SpectralPeakArray& out) {
    const float gainDb = FiniteOrZero(mAmount.load(std::memory_order_relaxed));
    CopyReusingStorage(out, in);
    if (out.GetnMaxPeaks() != in.GetnMaxPeaks())
        out.SetnMaxPeaks(in.GetnMaxPeaks());
    out.SetnPeaks(in.GetnPeaks());
    for (int i = 0; i < in.GetnPeaks(); ++i) {
        SpectralPeak peak = in.GetSpectralPeak(i);
        peak.SetMag(peak.GetMag() + gainDb);
        out.SetSpectralPeak(i, peak, in.GetIndex(i));
    }
    return true;
}

bool HLNSinusoidalGain::Do(const Frame& in, Frame& out) {
    mResidualGain.Do(in, out);
    return Do(in.GetSpectralPeakArray(), out.GetSpectralPeakArray());
}

bool HLNSinusoidalGain::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetData());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
