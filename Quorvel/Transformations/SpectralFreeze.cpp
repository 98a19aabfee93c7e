#include "Quorvel/Transformations/SpectralFreeze.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/PhaseWrap.hpp"
#include "DSP/Misc/PhaseWrapBlock.hpp"
#include "DSP/Processing/Transformations/SpectralBands.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

#include <algorithm>

namespace DSP {

namespace {

// A trigger acts on a value above this.
constexpr float kTriggerThreshold = 0.1f;
// A decay time at or below this (single-precision epsilon, seconds) silences its band.
constexpr float kShortestDecaySec = 1.1920929e-7f;
// Level reached after one decay time.
constexpr double kDecayDb = -60.0;

// The gain after elapsedSec of a decay of decaySec: −60·elapsed/decay dB (the ratio in
// double, rounded to single), turned into a linear factor by the fast power of two.
float DecayGain(float elapsedSec, float decaySec) {
    if (!(decaySec > kShortestDecaySec))
        return 0.f;
    const auto db = static_cast<float>(static_cast<double>(elapsedSec) * kDecayDb /
                                       static_cast<double>(decaySec));
    return DbToLinear(db);
}

} // namespace

SpectralFreeze::SpectralFreeze() = default;

bool SpectralFreeze::ConcreteConfigure(const ProcessingConfig& config) {
    if (!FrameTransformationTmpl<Spectrum>::ConcreteConfigure(config))
        return false;
    for (Array<float>* state :
         {&mPreviousPhases, &mIncrements, &mFrozenPhases, &mFrozenLowMags, &mFrozenHighMags})
        ReserveBins(*state, kPreparedBins);
    return true;
}

bool SpectralFreeze::InitControls() {
    mHighCutoff.DoControl(1000.f);
    mLowDecay.DoControl(20.f);
    mHighDecay.DoControl(12.f);
    mFire.DoControl(0.f);
    return Reset();
}

int SpectralFreeze::Fire(float value) {
    if (value > kTriggerThreshold) {
        mFrozen.store(true, std::memory_order_relaxed);
        // Release: a Do that sees the pending capture also sees the freeze.
        mCapturePending.store(true, std::memory_order_release);
    }
    return 0;
}

int SpectralFreeze::Reset(float value) {
    if (value > kTriggerThreshold) {
        mFrozen.store(false, std::memory_order_relaxed);
        mCapturePending.store(false, std::memory_order_relaxed);
    }
    return 0;
}

void SpectralFreeze::SizeState(int nBins) {
    for (Array<float>* state :
         {&mPreviousPhases, &mIncrements, &mFrozenPhases, &mFrozenLowMags, &mFrozenHighMags})
        SizeBins(*state, nBins);
    mFrameDurationSec = GlobalProcessInfo::GetFrameSize() / GlobalProcessInfo::GetSampleRate();
}

bool SpectralFreeze::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    const int n = in.GetSize();
    if (n != mFrozenLowMags.Size())
        SizeState(n);

    const float rangeHz = GlobalProcessInfo::GetSpectralRange();
    mCutoffBin = static_cast<float>(
        NearestBinWithin(mHighCutoff.GetLastValue() / rangeHz * static_cast<float>(n - 1), n));
    mLowDecaySec = mLowDecay.GetLastValue();
    mHighDecaySec = mHighDecay.GetLastValue();

    // Taking the pending capture here clears it for this frame, whatever the outcome.
    const bool capture = mCapturePending.exchange(false, std::memory_order_acquire);
    const bool frozen = mFrozen.load(std::memory_order_relaxed);

    if (frozen && capture)
        Capture(in);
    const Array<float>& inPhase = in.GetPhaseBuffer();
    for (int k = 0; k < n; ++k)
        mPreviousPhases[k] = FiniteOrZero(inPhase[k]);
    if (frozen && !capture)
        OutputFrozen(out);
    return true;
}

void SpectralFreeze::Capture(const Spectrum& in) {
    const Array<float>& inMag = in.GetMagBuffer();
    const Array<float>& inPhase = in.GetPhaseBuffer();
    for (int k = 0; k < in.GetSize(); ++k) {
        const float phase = FiniteOrZero(inPhase[k]);
        const float magnitude = FiniteOrZero(inMag[k]);
        mFrozenPhases[k] = phase;
        mFrozenLowMags[k] = magnitude;
        mFrozenHighMags[k] = magnitude;
        mIncrements[k] = WrapPhase(phase - mPreviousPhases[k]);
    }
    mElapsedSec = 0.f;
}

void SpectralFreeze::OutputFrozen(Spectrum& out) {
    const int n = mFrozenPhases.Size();
    Array<float>& outMag = out.GetMagBuffer();
    Array<float>& outPhase = out.GetPhaseBuffer();
    WrapPhaseSums(mFrozenPhases.GetPtr(), mIncrements.GetPtr(), n, mFrozenPhases.GetPtr());
    std::copy_n(mFrozenPhases.GetPtr(), n, outPhase.GetPtr());
    const float lowGain = DecayGain(mElapsedSec, mLowDecaySec);
    const float highGain = DecayGain(mElapsedSec, mHighDecaySec);
    const int cutoff = static_cast<int>(mCutoffBin);
    for (int k = 0; k < cutoff; ++k)
        outMag[k] = lowGain * mFrozenLowMags[k];
    for (int k = cutoff; k < n; ++k)
        outMag[k] = highGain * mFrozenHighMags[k];
    mElapsedSec += mFrameDurationSec;
}

} // namespace DSP
