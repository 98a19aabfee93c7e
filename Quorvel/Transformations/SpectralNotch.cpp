#include "Quorvel/Transformations/SpectralNotch.hpp"

#include "Quorvel/Transformations/NotchBand.hpp"

namespace DSP {

bool SpectralNotch::InitControls() {
    mAmount.store(500.f, std::memory_order_relaxed);
    mBandwidth.DoControl(12.f);
    mGain.DoControl(-50.f);
    return true;
}

bool SpectralNotch::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    ApplyNotchBand(out, mAmount.load(std::memory_order_relaxed), mBandwidth.GetLastValue(),
                   mGain.GetLastValue());
    return true;
}

} // namespace DSP
