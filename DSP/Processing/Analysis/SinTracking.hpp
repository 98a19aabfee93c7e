#pragma once

#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/SGuide.hpp"
#include "DSP/Processing/Analysis/SinTrackingConfig.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

// Turns the peaks of one frame into sinusoidal components, each labelled with a track id (in
// the output's index table) that links it to the same component in neighbouring frames.
//
// One Do takes the frame's peaks (dB, sorted by frequency) and writes at most MaxTracks peaks
// in dB. With IsHarmonic set and a positive "Fund Freq Value" (Hz; 0 marks an unvoiced frame)
// the output holds the harmonics of that fundamental that have a matching peak, in order and
// at their exact harmonic frequencies, harmonic k with id k - 1. Otherwise the previous
// frame's tracks continue onto their nearest peaks and the remaining peaks start new tracks.
//
// Real time: Configure sizes the track slots and the copy of the previous frame for MaxTracks
// peaks; Do then allocates nothing, provided the output array can already hold MaxTracks peaks
// (otherwise it grows once). Configure and Do on one thread; the control may be written from
// another.
class SinTracking : public Processing {
public:
    SinTracking();
    explicit SinTracking(const SinTrackingConfig& config);
    ~SinTracking() override;

    const char* GetDSPClassName() const override { return "SinTracking"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Tracks one frame; returns true. Inharmonic frames with peaks in another scale than dB
    // throw "SpectralPeakArray::SetSpectralPeak:Incorrect scale in input SpectralPeak" before
    // anything changes.
    bool Do(const SpectralPeakArray& in, SpectralPeakArray& out);
    // The same on the ports' data; consumes and produces.
    bool Do() override;

    InControl& GetFundFreqControl() { return mFundFreq; }
    InPort<SpectralPeakArray>& GetInput() { return mInput; }
    OutPort<SpectralPeakArray>& GetOutput() { return mOutput; }

protected:
    // Every guide dead, no live tracks, ids from 0, no previous frame. Always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void TrackHarmonic(const SpectralPeakArray& in, SpectralPeakArray& out, float f0);
    void TrackInharmonic(const SpectralPeakArray& in, SpectralPeakArray& out);
    // Continues previous track `previous` onto its nearest peak, or kills it.
    void ContinueOrKill(int previous, const SpectralPeakArray& in, SpectralPeakArray& out,
                        int nOut);
    bool HasCandidate(float previousFreqHz, const SpectralPeakArray& in,
                      const SpectralPeakArray& out, int nOut) const;
    bool IsCloserToAnotherPrevious(float previousFreqHz, float peakFreqHz) const;
    void StartNewTracks(const SpectralPeakArray& in, SpectralPeakArray& out, int nOut);
    void KillTrack(int trackId);
    void KillAllTracks();
    // Copies input peak p to output position p with the given id.
    static void TakePeak(const SpectralPeakArray& in, int p, SpectralPeakArray& out, int id);
    void KeepAsPrevious(const SpectralPeakArray& out);

    SinTrackingConfig mConfig;
    Array<SGuide> mGuides;
    int mnActiveGuides = 0;
    int mNextTrackId = 0;
    bool mInitialized = false;
    bool mWasHarmonic = false;
    SpectralPeakArray mPreviousPeaks;
    InControl mFundFreq{"Fund Freq Value", this};
    InPort<SpectralPeakArray> mInput{"Input", this};
    OutPort<SpectralPeakArray> mOutput{"Output", this};
};

} // namespace DSP
