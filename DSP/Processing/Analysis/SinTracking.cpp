#include "DSP/Processing/Analysis/SinTracking.hpp"

#include "DSP/Data/SpectralPeakArrayCopy.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "DSP/Misc/SearchArray.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

namespace DSP {

namespace {

constexpr int kUnassigned = -1;
// Magnitude of a harmonic slot before a peak is found for it.
constexpr float kEmptyHarmonicDb = -99.f;

struct NearestPeak {
    int position;
    float distancePercent;
};

// The peak nearest in frequency to freqHz among peaks sorted by frequency (at least one).
// The search brackets freqHz (outside the table it starts from position 0), walks up while
// the distance does not grow, then, from a bracket above position 0, down the same way; on
// equal distances the later step wins.
NearestPeak FindNearestPeak(const SpectralPeakArray& peaks, float freqHz) {
    const int n = peaks.GetnPeaks();
    const SearchArray<float> search(peaks.GetFreqBuffer());
    const int located = std::max(search.Hunt(freqHz, 0), 0);
    auto distance = [&](int i) { return std::fabs(peaks.GetFreq(i) - freqHz) * 100.f / freqHz; };
    NearestPeak best{located, distance(located)};
    for (int i = located + 1; i < n; ++i) {
        const float d = distance(i);
        if (!(d <= best.distancePercent))
            break;
        best = {i, d};
    }
    if (located > 0) {
        for (int i = located - 1; i >= 0; --i) {
            const float d = distance(i);
            if (!(d <= best.distancePercent))
                break;
            best = {i, d};
        }
    }
    return best;
}

} // namespace

SinTracking::SinTracking() = default;

SinTracking::SinTracking(const SinTrackingConfig& config) : SinTracking() {
    Configure(config);
}

SinTracking::~SinTracking() = default;

bool SinTracking::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const SinTrackingConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a SinTrackingConfig");
        return false;
    }
    mConfig = *concrete;
    const int maxTracks = std::max(mConfig.GetMaxTracks(), 0);
    mGuides.Resize(maxTracks);
    mGuides.SetSize(maxTracks);
    for (int g = 0; g < maxTracks; ++g)
        mGuides[g] = SGuide();
    mnActiveGuides = 0;
    mNextTrackId = 0;
    mInitialized = false;
    mWasHarmonic = false;
    mPreviousPeaks.SetnMaxPeaks(maxTracks);
    mPreviousPeaks.SetnPeaks(0);
    mPreviousPeaks.SetScale(EScale(EScale::eLog));
    return true;
}

bool SinTracking::Do(const SpectralPeakArray& in, SpectralPeakArray& out) {
    // A non-finite fundamental cannot place harmonics: the frame counts as unvoiced.
    const float f0 = FiniteOrZero(mFundFreq.GetLastValue());
    if (mConfig.GetIsHarmonic() && f0 > 0.f) {
        mWasHarmonic = true;
        TrackHarmonic(in, out, f0);
        return true;
    }
    // The output is in dB, so peaks in another scale are refused before any state changes.
    DSP_CHECK(std::min(in.GetnPeaks(), mGuides.Size()) == 0 ||
                  in.GetScale().GetValue() == EScale::eLog,
              "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak");
    if (mWasHarmonic)
        KillAllTracks();
    mWasHarmonic = false;
    TrackInharmonic(in, out);
    return true;
}

bool SinTracking::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetData());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

// Harmonic k sits at output position k - 1 (its track id). Harmonics are preset by repeated
// single-precision addition of f0, and the search for each one uses that preset. The run
// stops at the first harmonic without an acceptable peak: one too far away, or the very peak
// the previous harmonic took (recognised by its magnitude).
void SinTracking::TrackHarmonic(const SpectralPeakArray& in, SpectralPeakArray& out, float f0) {
    const int maxTracks = mGuides.Size();
    out.SetnPeaks(maxTracks);
    out.ResetIndices();
    out.SetScale(EScale(EScale::eLog));
    float harmonicHz = 0.f;
    for (int i = 0; i < maxTracks; ++i) {
        harmonicHz += f0;
        out.SetFreq(i, harmonicHz);
        out.SetMag(i, kEmptyHarmonicDb);
    }
    int accepted = 0;
    if (in.GetnPeaks() > 0) {
        float previousMag = 0.f;
        for (int i = 0; i < maxTracks; ++i) {
            // The percentage is compared with half the fundamental in Hz: above 200 Hz any
            // nearest peak is close enough.
            const NearestPeak nearest = FindNearestPeak(in, out.GetFreq(i));
            const float mag = in.GetMag(nearest.position);
            if (!(nearest.distancePercent < 0.5f * f0) || (i > 0 && mag == previousMag))
                break;
            out.SetMag(i, mag);
            out.SetPhase(i, in.GetPhase(nearest.position));
            previousMag = mag;
            ++accepted;
        }
    }
    out.SetnPeaks(accepted);
    KeepAsPrevious(out);
}

void SinTracking::TrackInharmonic(const SpectralPeakArray& in, SpectralPeakArray& out) {
    const int nOut = std::min(in.GetnPeaks(), mGuides.Size());
    out.SetnPeaks(nOut);
    out.SetIndicesTo(kUnassigned);
    out.SetScale(EScale(EScale::eLog));
    if (!mInitialized) {
        StartNewTracks(in, out, nOut);
        mInitialized = true;
        KeepAsPrevious(out);
        return;
    }
    for (int i = 0; i < mPreviousPeaks.GetnPeaks(); ++i)
        ContinueOrKill(i, in, out, nOut);
    StartNewTracks(in, out, nOut);
    KeepAsPrevious(out);
}

void SinTracking::ContinueOrKill(int previous, const SpectralPeakArray& in, SpectralPeakArray& out,
                                 int nOut) {
    const int trackId = mPreviousPeaks.GetIndex(previous);
    // A previous peak without a track has nothing to continue and no slot to free.
    if (trackId == kUnassigned)
        return;
    const float previousHz = mPreviousPeaks.GetFreq(previous);
    if (HasCandidate(previousHz, in, out, nOut)) {
        const int c = FindNearestPeak(in, previousHz).position;
        if (c < nOut && !IsCloserToAnotherPrevious(previousHz, in.GetFreq(c)) &&
            out.GetIndex(c) == kUnassigned) {
            TakePeak(in, c, out, trackId);
            return;
        }
    }
    KillTrack(trackId);
}

bool SinTracking::HasCandidate(float previousHz, const SpectralPeakArray& in,
                               const SpectralPeakArray& out, int nOut) const {
    const float threshold = mConfig.GetThreshold();
    for (int j = 0; j < nOut; ++j) {
        if (out.GetIndex(j) != kUnassigned)
            continue;
        const float percent =
            std::floor(std::fabs(in.GetFreq(j) - previousHz) * 100.f / previousHz);
        if (percent < threshold)
            return true;
    }
    return false;
}

bool SinTracking::IsCloserToAnotherPrevious(float previousHz, float peakHz) const {
    const float own = std::fabs(previousHz - peakHz);
    for (int q = 0; q < mPreviousPeaks.GetnPeaks(); ++q)
        if (std::fabs(mPreviousPeaks.GetFreq(q) - peakHz) < own)
            return true;
    return false;
}

// Unassigned positions take free slots in slot order; once no slot is free the remaining
// positions stay unassigned.
void SinTracking::StartNewTracks(const SpectralPeakArray& in, SpectralPeakArray& out, int nOut) {
    int g = 0;
    for (int p = 0; p < nOut; ++p) {
        if (out.GetIndex(p) != kUnassigned)
            continue;
        while (g < mGuides.Size() && !mGuides[g].isDead)
            ++g;
        if (g == mGuides.Size())
            return;
        SGuide& guide = mGuides[g];
        guide.isDead = false;
        guide.trackId = mNextTrackId;
        // After two billion tracks the ids start again from 0 rather than overflow.
        mNextTrackId = mNextTrackId == INT_MAX ? 0 : mNextTrackId + 1;
        guide.freq = FiniteOrZero(in.GetFreq(p));
        guide.mag = FiniteOrZero(in.GetMag(p));
        TakePeak(in, p, out, guide.trackId);
        ++mnActiveGuides;
    }
}

// Tracks continued from a harmonic frame own no slot; their end frees nothing, and the live
// count never drops below the number of live slots.
void SinTracking::KillTrack(int trackId) {
    for (int g = 0; g < mGuides.Size(); ++g) {
        if (mGuides[g].trackId != trackId)
            continue;
        if (!mGuides[g].isDead) {
            mGuides[g].isDead = true;
            --mnActiveGuides;
        }
        return;
    }
}

void SinTracking::KillAllTracks() {
    for (int g = 0; g < mGuides.Size(); ++g)
        mGuides[g].isDead = true;
    mnActiveGuides = 0;
}

void SinTracking::TakePeak(const SpectralPeakArray& in, int p, SpectralPeakArray& out, int id) {
    out.SetSpectralPeak(p, in.GetSpectralPeak(p), id);
}

// The previous frame is state: a NaN frequency or phase in it would decide the next frame's
// continuations, so non-finite values are kept as 0.
void SinTracking::KeepAsPrevious(const SpectralPeakArray& out) {
    CopyPeaks(out, mPreviousPeaks);
    ZeroNonFinitePeakValues(mPreviousPeaks);
}

} // namespace DSP
