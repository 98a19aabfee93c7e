#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Synthesis/PhaseManagementConfig.hpp"

namespace DSP {

// Chooses the phases of the peaks to be synthesized so that sinusoids stay continuous from
// frame to frame when an effect has changed their frequencies.
//
// One Do rewrites the phases (radians) of one frame's peaks, matched to the previous frame by
// track id (the peaks' index table). Continuation, the mode in use, advances each continued
// track's phase at the mean of its old and new frequency over the time since the last frame
// and starts a new track at 2 pi * dt * f; every phase is then wrapped into one turn. Align
// and Random are the two other modes. Controls: "CurrentTime" (s) and "CurrentPitch" (Hz).
//
// Real time: Configure sizes the previous-peaks copy and the per-track arrays for 500 peaks;
// Do then allocates nothing for frames of up to that many peaks. Init draws the random phases
// with the C library's generator and so belongs to configuration time. Configure, Init and Do
// on one thread; the controls may be written from another.
class PhaseManagement : public Processing {
public:
    // Peaks per frame that Do handles without allocating.
    static constexpr int kMaxPeaks = 500;

    PhaseManagement();
    explicit PhaseManagement(const PhaseManagementConfig& config);
    ~PhaseManagement() override;

    const char* GetDSPClassName() const override { return "PhaseManagement"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Rewrites the phases of peaks according to the configured type; returns true. A
    // non-finite "CurrentTime" counts as the last frame's time, and a phase that comes out
    // non-finite is written (and kept) as 0.
    bool Do(SpectralPeakArray& peaks);
    // Sends the frame's centre time to "CurrentTime" and its fundamental's frequency (0 without
    // a candidate) to "CurrentPitch", then runs Do on the frame's spectral peaks.
    bool Do(Frame& frame);
    // There are no ports: does nothing and returns true.
    bool Do() override { return true; }

    // Fills the table of MaxSines random phases, clears the three times, empties the previous
    // peaks (dB) so that every track of the next frame counts as new, and fills the second
    // per-track array with random phases.
    void Init();
    // Restarts the alignment: the reference time and the next period time become 0.
    void ResetPhaseAlignment();

    InControl& GetCurrentTimeControl() { return mCurrentTime; }
    InControl& GetCurrentPitchControl() { return mCurrentPitch; }

protected:
    // Sizes the tables and storage and clears the times and the previous peaks; the random
    // phases are drawn by Init. Always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void DoPhaseContinuation(SpectralPeakArray& peaks, double time);
    void DoPhaseAlignment(SpectralPeakArray& peaks, double time);
    void DoRandomPhases(SpectralPeakArray& peaks);
    void ClearPrevious();
    float RandomPhase(int i) const;

    PhaseManagementConfig mConfig;
    InControl mCurrentTime{"CurrentTime", this};
    InControl mCurrentPitch{"CurrentPitch", this};
    Array<float> mRandomPhases;
    SpectralPeakArray mPreviousPeaks;
    // Per track, for Random: the phases and the frequencies (or, after Init, random phases).
    Array<float> mTrackPhases;
    Array<float> mTrackFrequencies;
    double mLastTime = 0.0;       // time of the last continuation frame (s)
    double mAlignTime = 0.0;      // reference time of the alignment (s)
    double mNextPeriodTime = 0.0; // end of the current pitch period (s)
};

} // namespace DSP
