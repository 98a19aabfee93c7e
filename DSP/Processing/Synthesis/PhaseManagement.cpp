#include "DSP/Processing/Synthesis/PhaseManagement.hpp"

#include "DSP/Data/SpectralPeakArrayCopy.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "DSP/Misc/PhaseWrap.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace DSP {

namespace {

constexpr float kPi = 3.1415927f;
// rand() spans 0 ... 2^31 - 1; divided by 2^31 * 2 pi (as a float) it gives a phase in one
// turn.
constexpr float kRandToPhaseDivisor = 13493038080.f;
constexpr long double kTwoPiExtended = 6.283185307179586476925286766559L;

float DrawRandomPhase() {
    return float(std::rand()) / kRandToPhaseDivisor;
}

// Removes whole turns from a phase of at least one turn; below one turn it is left as it is.
float ReduceByTurns(float phase) {
    if (!std::isfinite(phase))
        return 0.f;
    if (phase >= kTwoPi)
        phase -= kTwoPi * std::floor(phase / kTwoPi);
    while (phase >= kTwoPi)
        phase -= kTwoPi;
    return phase;
}

template <class T> void SizeWithin(Array<T>& array, int n) {
    if (array.AllocatedSize() < n)
        array.Resize(n);
    array.SetSize(n);
}

} // namespace

PhaseManagement::PhaseManagement() = default;

PhaseManagement::PhaseManagement(const PhaseManagementConfig& config) : PhaseManagement() {
    Configure(config);
}

PhaseManagement::~PhaseManagement() = default;

bool PhaseManagement::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const PhaseManagementConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a PhaseManagementConfig");
        return false;
    }
    mConfig = *concrete;
    const int maxSines = std::max(mConfig.GetMaxSines(), 0);
    mRandomPhases.Resize(maxSines);
    mRandomPhases.SetSize(maxSines);
    const int tracks = std::max(maxSines, kMaxPeaks);
    mTrackPhases.Resize(tracks);
    mTrackFrequencies.Resize(tracks);
    mTrackPhases.SetSize(0);
    mTrackFrequencies.SetSize(0);
    mPreviousPeaks.SetnMaxPeaks(kMaxPeaks);
    ClearPrevious();
    mLastTime = mAlignTime = mNextPeriodTime = 0.0;
    return true;
}

void PhaseManagement::Init() {
    const int maxSines = std::max(mConfig.GetMaxSines(), 0);
    SizeWithin(mRandomPhases, maxSines);
    for (int i = 0; i < maxSines; ++i)
        mRandomPhases[i] = DrawRandomPhase();
    mLastTime = mAlignTime = mNextPeriodTime = 0.0;
    ClearPrevious();
    SizeWithin(mTrackFrequencies, maxSines);
    for (int i = 0; i < maxSines; ++i)
        mTrackFrequencies[i] = DrawRandomPhase();
}

void PhaseManagement::ResetPhaseAlignment() {
    mAlignTime = mNextPeriodTime = 0.0;
}

// An empty previous frame whose (empty) index table can be searched: every track is new.
void PhaseManagement::ClearPrevious() {
    mPreviousPeaks.SetnPeaks(0);
    mPreviousPeaks.SetScale(EScale(EScale::eLog));
    mPreviousPeaks.SetIsIndexUpToDate(true);
}

float PhaseManagement::RandomPhase(int i) const {
    const int n = mRandomPhases.Size();
    return n > 0 ? mRandomPhases[i % n] : 0.f;
}

bool PhaseManagement::Do(Frame& frame) {
    mCurrentTime.DoControl(frame.GetCenterTime());
    mCurrentPitch.DoControl(frame.GetFundamental().GetFreq(0));
    return Do(frame.GetSpectralPeakArray());
}

bool PhaseManagement::Do(SpectralPeakArray& peaks) {
    // A non-finite time would poison the stored times; it reads as "no time has passed".
    const float control = mCurrentTime.GetLastValue();
    const double time = std::isfinite(control) ? double(control) : mLastTime;
    switch (mConfig.GetType().GetValue()) {
    case EPhaseGeneration::eAlign:
        DoPhaseAlignment(peaks, time);
        break;
    case EPhaseGeneration::eRandom:
        DoRandomPhases(peaks);
        break;
    default:
        DoPhaseContinuation(peaks, time);
        break;
    }
    return true;
}

// A continued track advances at the mean of its old and new frequency, so that a glide
// between two frames stays in phase; a new track starts as if it had run since the last
// frame at its new frequency.
void PhaseManagement::DoPhaseContinuation(SpectralPeakArray& peaks, double time) {
    const float dt = float(time - mLastTime);
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        const float freqHz = peaks.GetFreq(i);
        const int p = mPreviousPeaks.GetPositionFromIndex(peaks.GetIndex(i));
        const float phase =
            p >= 0 ? mPreviousPeaks.GetPhase(p) + kPi * dt * (mPreviousPeaks.GetFreq(p) + freqHz)
                   : kTwoPi * dt * freqHz;
        peaks.SetPhase(i, FiniteOrZero(WrapPhase(phase)));
    }
    mLastTime = time;
    CopyPeaks(peaks, mPreviousPeaks);
    mPreviousPeaks.SetIsIndexUpToDate(true);
    ZeroNonFinitePeakValues(mPreviousPeaks);
}

// Keeps the waveform's period structure: phases move by the time elapsed since the start of
// the nearest pitch period, measured with the mean of the last and the current period.
void PhaseManagement::DoPhaseAlignment(SpectralPeakArray& peaks, double time) {
    const double period = 1.0 / double(mCurrentPitch.GetLastValue());
    if (!(period > 0.0) || !std::isfinite(period)) {
        mAlignTime = mNextPeriodTime = 0.0;
        return;
    }
    if (mAlignTime == 0.0 || time <= mAlignTime) {
        mAlignTime = time;
        mNextPeriodTime = time + period;
        return;
    }
    const double elapsed = time - mAlignTime;
    const double meanPeriod = 0.5 * (mNextPeriodTime - mAlignTime) + 0.5 * period;
    mNextPeriodTime = mAlignTime + period;
    double periods = std::floor(elapsed / meanPeriod);
    if (elapsed - periods * meanPeriod > period - 0.5 * mLastTime)
        periods += 1.0;
    const long double offset = elapsed - periods * meanPeriod;
    for (int i = 0; i < peaks.GetnPeaks(); ++i) {
        long double phase = peaks.GetPhase(i) + kTwoPiExtended * peaks.GetFreq(i) * offset;
        phase -= kTwoPiExtended * std::floor(phase / kTwoPiExtended);
        peaks.SetPhase(i, FiniteOrZero(float(phase)));
    }
    if (periods > 0.0) {
        mAlignTime += periods * meanPeriod;
        mNextPeriodTime = mAlignTime + period;
    }
}

// Tracks found in the previous peaks (by using the id as a position there) continue from the
// previous phase; the others take the random phase of their position. The previous peaks are
// those of the last continuation frame and are not replaced here.
void PhaseManagement::DoRandomPhases(SpectralPeakArray& peaks) {
    const int n = peaks.GetnPeaks();
    SizeWithin(mTrackPhases, n);
    SizeWithin(mTrackFrequencies, n);
    const int nPrevious = mPreviousPeaks.GetnPeaks();
    for (int i = 0; i < n; ++i) {
        const int k = peaks.GetIndex(i);
        // An id equal to the previous count names no previous peak either.
        if (k < 0 || k >= nPrevious) {
            const float phase = RandomPhase(i);
            peaks.SetPhase(i, phase);
            mTrackPhases[i] = phase;
            mTrackFrequencies[i] = FiniteOrZero(peaks.GetFreq(i));
            continue;
        }
        const float phase = ReduceByTurns(
            mPreviousPeaks.GetPhase(k) +
            kTwoPi * 0.5f * (mPreviousPeaks.GetFreq(k) + peaks.GetFreq(i)) * float(mLastTime));
        peaks.SetPhase(i, phase);
        if (k < n) {
            mTrackPhases[k] = phase;
            mTrackFrequencies[k] = phase;
        }
    }
}

} // namespace DSP
