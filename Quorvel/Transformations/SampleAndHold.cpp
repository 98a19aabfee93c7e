#include "Quorvel/Transformations/SampleAndHold.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/PhaseWrapBlock.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {

constexpr float kDefaultHoldMs = 200.f;
// Hold times below this pass the input through.
constexpr float kShortestHoldMs = 1.f;

} // namespace

bool SampleAndHold::ConcreteConfigure(const ProcessingConfig& config) {
    if (!FrameTransformationTmpl<Spectrum>::ConcreteConfigure(config))
        return false;
    for (Array<float>* state : {&mHeldMags, &mHeldPhases, &mIncrements})
        ReserveBins(*state, kPreparedBins);
    return true;
}

bool SampleAndHold::InitControls() {
    mAmount.store(kDefaultHoldMs, std::memory_order_relaxed);
    mElapsedMs = 0.f;
    return true;
}

void SampleAndHold::Capture(const Spectrum& in) {
    const int n = in.GetSize();
    const Array<float>& inMag = in.GetMagBuffer();
    const Array<float>& inPhase = in.GetPhaseBuffer();
    // The increments keep the previous hold's values: the first frame of a hold uses them.
    for (Array<float>* state : {&mHeldMags, &mHeldPhases, &mIncrements})
        SizeBins(*state, n);
    for (int k = 0; k < n; ++k) {
        mHeldMags[k] = FiniteOrZero(inMag[k]);
        mHeldPhases[k] = FiniteOrZero(inPhase[k]);
    }
    mIncrementPending = true;
}

bool SampleAndHold::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    const int n = in.GetSize();
    // Milliseconds per hop: frame size over twice the spectral range.
    mFrameDurationMs = static_cast<float>(GlobalProcessInfo::GetFrameSize() /
                                          GlobalProcessInfo::GetSpectralRange() * 0.5 * 1000.0);
    float holdMs = mAmount.load(std::memory_order_relaxed);
    if (std::isnan(holdMs))
        holdMs = 0.f;

    // A spectrum of another bin count cannot continue the hold: start a new one.
    if (mHeldPhases.Size() != n) {
        mHolding = false;
        mIncrementPending = false;
    }
    const Array<float>& inPhase = in.GetPhaseBuffer();
    if (mIncrementPending) {
        // Deliberately not wrapped: the sum is wrapped where it is used.
        for (int k = 0; k < n; ++k)
            mIncrements[k] = FiniteOrZero(inPhase[k] - mHeldPhases[k]);
        mIncrementPending = false;
    }
    if (mElapsedMs == 0.f || holdMs < kShortestHoldMs)
        mHolding = false;
    if (!mHolding) {
        mHolding = true;
        Capture(in);
        if (holdMs < kShortestHoldMs)
            return true;
    }

    // The held phases advance by one increment per frame once it is known; the output shows
    // the advanced phase already on the capture frame.
    Array<float>& outMag = out.GetMagBuffer();
    Array<float>& outPhase = out.GetPhaseBuffer();
    WrapPhaseSums(mHeldPhases.GetPtr(), mIncrements.GetPtr(), n, outPhase.GetPtr());
    std::copy_n(mHeldMags.GetPtr(), n, outMag.GetPtr());
    if (!mIncrementPending)
        std::copy_n(outPhase.GetPtr(), n, mHeldPhases.GetPtr());
    if (mElapsedMs > holdMs)
        mElapsedMs = 0.f;
    else
        mElapsedMs += mFrameDurationMs;
    return true;
}

} // namespace DSP
