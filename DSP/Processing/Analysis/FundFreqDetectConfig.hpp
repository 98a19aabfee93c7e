#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How FundFreqDetect chooses and scores fundamental candidates. Frequencies in Hz, magnitude
// ranges in dB; the weights and offsets shape the two-way mismatch error.
class FundFreqDetectConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "FundFreqDetectConfig"; }

    // The reference fundamental right after configuring.
    float GetInitialFundFreq() const { return mInitialFundFreq; }
    void SetInitialFundFreq(float freqHz) { mInitialFundFreq = freqHz; }
    // Admissible candidates lie in [MinFundFreq, MaxFundFreq]; MinFundFreq is also the lower
    // edge of the reference peaks.
    float GetMinFundFreq() const { return mMinFundFreq; }
    void SetMinFundFreq(float freqHz) { mMinFundFreq = freqHz; }
    float GetMaxFundFreq() const { return mMaxFundFreq; }
    void SetMaxFundFreq(float freqHz) { mMaxFundFreq = freqHz; }
    // How far below the strongest reference peak a lower peak may lie and still be a candidate.
    float GetCandidateMagRange() const { return mCandidateMagRange; }
    void SetCandidateMagRange(float rangeDb) { mCandidateMagRange = rangeDb; }
    // The largest error a reported candidate may have.
    float GetMaxError() const { return mMaxError; }
    void SetMaxError(float error) { mMaxError = error; }
    float GetPMFreqWeight() const { return mPMFreqWeight; }
    void SetPMFreqWeight(float weight) { mPMFreqWeight = weight; }
    float GetPMOffset() const { return mPMOffset; }
    void SetPMOffset(float offset) { mPMOffset = offset; }
    float GetMPFreqWeight() const { return mMPFreqWeight; }
    void SetMPFreqWeight(float weight) { mMPFreqWeight = weight; }
    float GetMPOffset() const { return mMPOffset; }
    void SetMPOffset(float offset) { mMPOffset = offset; }
    // Predicted harmonics compared when there are more than four reference peaks.
    int GetPMHarmonics() const { return mPMHarmonics; }
    void SetPMHarmonics(int harmonics) { mPMHarmonics = harmonics; }
    // Measured peaks always compared before the high-frequency stop.
    int GetMPPeaks() const { return mMPPeaks; }
    void SetMPPeaks(int peaks) { mMPPeaks = peaks; }
    float GetPMWeight() const { return mPMWeight; }
    void SetPMWeight(float weight) { mPMWeight = weight; }
    float GetMPWeight() const { return mMPWeight; }
    void SetMPWeight(float weight) { mMPWeight = weight; }
    // Each reference peak divided by 1 ... SubharmonicDivisions gives candidates.
    int GetSubharmonicDivisions() const { return mSubharmonicDivisions; }
    void SetSubharmonicDivisions(int divisions) { mSubharmonicDivisions = divisions; }
    // Capacity of the raw candidate list and the most candidates a caller may ask for.
    int GetMaxCandidates() const { return mMaxCandidates; }
    void SetMaxCandidates(int candidates) { mMaxCandidates = candidates; }

private:
    float mInitialFundFreq = 1000.f;
    float mMinFundFreq = 35.f;
    float mMaxFundFreq = 1500.f;
    float mCandidateMagRange = 30.f;
    float mMaxError = 10.f;
    float mPMFreqWeight = 1.4f;
    float mPMOffset = 0.5f;
    float mMPFreqWeight = 1.4f;
    float mMPOffset = 0.5f;
    int mPMHarmonics = 5;
    int mMPPeaks = 5;
    float mPMWeight = 1.f;
    float mMPWeight = 1.f;
    int mSubharmonicDivisions = 5;
    int mMaxCandidates = 5;
};

} // namespace DSP
