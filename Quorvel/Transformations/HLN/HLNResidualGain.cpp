#include "Quorvel/Transformations/HLN/HLNResidualGain.hpp"

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

namespace DSP {

namespace {
constexpr float kInitialGainDb = 12.f;
} // namespace

HLNResidualGain::HLNResidualGain() {
    Configure(FrameTransformationConfig());
}

bool HLNResidualGain::ConcreteConfigure(const ProcessingConfig& config) {
    return StoreTransformationConfig(*this, config, mConfig);
}

bool HLNResidualGain::InitControls() {
    mAmount.store(kInitialGainDb, std::memory_order_relaxed);
    return true;
}

bool HLNResidualGain::Do(const Spectrum& in, Spectrum& out) {
    const float gainDb = FiniteOrZero(mAmount.load(std::memory_order_relaxed));
    CopyReusingStorage(out, in);
    const int n = in.GetSize();
    if (in.GetScale().GetValue() == EScale::eLog) {
        for (int k = 0; k < n; ++k)
            out.SetMag(k, in.GetMag(k) + gainDb);
        return true;
    }
    // The exponent in double precision, the power itself with the fast function.
    const float factor = DSP_pow(10.f, static_cast<float>(gainDb / 20.0));
    for (int k = 0; k < n; ++k)
        out.SetMag(k, FiniteOrZero(in.GetMag(k) * factor));
    return true;
}

bool HLNResidualGain::Do(const Frame& in, Frame& out) {
    return Do(in.GetResidualSpec(), out.GetResidualSpec());
}

bool HLNResidualGain::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetData());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
