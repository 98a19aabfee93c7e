#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How SinTracking links peaks into tracks.
class SinTrackingConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SinTrackingConfig"; }

    // A previous track continues only onto an unassigned peak within this many percent of its
    // frequency (default 40).
    float GetThreshold() const { return mThresholdPercent; }
    void SetThreshold(float percent) { mThresholdPercent = percent; }
    // Number of track slots and the largest number of output peaks (default 200).
    int GetMaxTracks() const { return mMaxTracks; }
    void SetMaxTracks(int tracks) { mMaxTracks = tracks; }
    // Voiced frames are tracked as harmonics of the fundamental (default false).
    bool GetIsHarmonic() const { return mIsHarmonic; }
    void SetIsHarmonic(bool harmonic) { mIsHarmonic = harmonic; }

private:
    float mThresholdPercent = 40.f;
    int mMaxTracks = 200;
    bool mIsHarmonic = false;
};

} // namespace DSP
