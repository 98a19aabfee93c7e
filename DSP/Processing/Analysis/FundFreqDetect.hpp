#pragma once

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/FundFreqDetectConfig.hpp"
#include "DSP/Processing/Base/OutControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"

#include <array>
#include <vector>

namespace DSP {

// The fundamental frequency of a monophonic voice, from the spectral peaks of one frame.
//
// One Do reads a peak array in dB sorted by increasing frequency (as SpectralPeakDetect makes
// it) and writes up to out.GetnMaxCandidates() fundamental candidates (Hz, with their two-way
// mismatch error), best first. It picks reference peaks around the strongest peak, builds a
// short raw list of candidate frequencies (the previous fundamental, strong peaks, peak
// distances and subharmonics), scores each by how well its harmonics and the peaks explain
// each other, merges near-duplicates and refines the best three by a local search. A frame
// with no candidate of error at most MaxError is unvoiced: out stays empty, Do returns false.
// Every detection sends its result (or 0 when unvoiced) to the out-control "Fund Freq Value".
//
// State: the reference fundamental, set to InitialFundFreq by configuring, replaced by every
// detected fundamental and kept across unvoiced frames; it is the first candidate of the next
// frame. Only finite, admissible candidates can become it: peaks with a non-finite frequency,
// magnitude or bin position are never reference peaks, and a frame whose strongest peak gives
// no positive, finite bin width in Hz (a peak at bin position 0) is unvoiced.
//
// Real time: Configure sizes the candidate lists and the per-peak scratch for up to 500 peaks;
// Do allocates nothing as long as the input has at most that many peaks (a larger one grows
// the scratch once), out already has its capacity (out.SetnMaxCandidates at configuration) and
// the peak array was sized with SetnMaxPeaks while minimize-resizes was on, so that its index
// table is never re-sized. Configure while stopped; Do on the audio thread.
class FundFreqDetect : public Processing {
public:
    FundFreqDetect();
    explicit FundFreqDetect(const FundFreqDetectConfig& config);
    ~FundFreqDetect() override;

    const char* GetDSPClassName() const override { return "FundFreqDetect"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Detects into out (cleared first); true when out holds at least one candidate. Asking for
    // fewer than one candidate or more than MaxCandidates throws ErrAssertionFailed. On return
    // the index table of peaks lists the reference peaks; all other peak data is unchanged.
    bool Do(SpectralPeakArray& peaks, Fundamental& out);
    // The input port's peaks into the output port's fundamental, asking for one candidate;
    // consumes and produces.
    bool Do() override;

    // The fundamental (Hz) that the next frame offers as its first candidate.
    float GetReferenceFundFreq() const { return mReferenceFundFreqHz; }
    // The raw candidates of the last detection that got that far, scored and sorted by
    // increasing error (empty when the frame had no reference peaks).
    const Fundamental& GetRawCandidates() const { return mRawCandidates; }

    InPort<SpectralPeakArray>& GetInput() { return mInput; }
    OutPort<Fundamental>& GetOutput() { return mOutput; }
    OutControl& GetFundFreqValue() { return mFundFreqValue; }

protected:
    // Copies the configuration, sizes the scratch and resets the reference fundamental.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // Marks the reference peaks in the index table and copies their frequencies and
    // magnitudes; false when there are none.
    bool ChooseReferencePeaks(SpectralPeakArray& peaks);
    // The reference position of the strongest peak other than the two excluded ones.
    int StrongestReferenceExcept(int excluded1, int excluded2) const;
    // Fills the raw candidate list; false when it stays empty.
    bool GenerateCandidates();
    void ComputePeakWeights();
    // The two-way mismatch errors of n trial fundamentals against the reference peaks.
    void MismatchErrors(const float* trials, int n, float* errors);
    void MergeCandidates();
    void RefineBestCandidates();
    bool Unvoiced(Fundamental& out);
    void EnsurePeakCapacity(int peaks);

    FundFreqDetectConfig mConfig;
    float mReferenceFundFreqHz = 0.f;
    InPort<SpectralPeakArray> mInput{"Input", this};
    OutPort<Fundamental> mOutput{"Output", this};
    OutControl mFundFreqValue{"Fund Freq Value", this};

    Fundamental mRawCandidates;
    Fundamental mMergedCandidates;
    // Per input peak: whether it is left out of the reference peaks.
    std::vector<char> mRemoved;
    // Per reference peak: frequency (Hz), magnitude (dB) and the error weights.
    std::vector<float> mRefFreqHz;
    std::vector<float> mRefMagDb;
    std::vector<float> mWeight;
    std::vector<float> mMPFactor;
    std::vector<float> mMPOffsetTerm;
    // DSP_sqrt of each reference frequency.
    std::vector<float> mRefSqrtFreq;
    // Trials scored together, and per trial of a batch the two sums, their divisors and the
    // number of harmonic terms.
    static constexpr int kTrialBatch = 32;
    std::array<float, kTrialBatch> mTrials{};
    std::array<float, kTrialBatch> mTrialErrors{};
    std::array<float, kTrialBatch> mPMSum{};
    std::array<int, kTrialBatch> mPMCount{};
    std::array<int, kTrialBatch> mPMTerms{};
    // Per harmonic number and trial of a batch (a row of kTrialBatch per harmonic number): the
    // harmonic, its nearest peak and that peak's weight.
    std::vector<float> mPMHarmonicHz;
    std::vector<float> mPMPeakHz;
    std::vector<float> mPMPeakWeight;
    std::array<float, kTrialBatch> mMPSum{};
    std::array<int, kTrialBatch> mMPCount{};
    // The raw candidates' frequencies and errors, one per place in the raw list.
    std::vector<float> mRawTrials;
    std::vector<float> mRawErrors;
    int mnRef = 0;
    // Strongest, second and third strongest reference positions; the strongest's values.
    int mStrongest = 0;
    int mSecond = 0;
    int mThird = 0;
    float mStrongestFreqHz = 0.f;
    float mStrongestMagDb = 0.f;
    // Harmonics and peaks the error compares (NP and NM).
    int mnPMHarmonics = 0;
    int mnMPPeaks = 0;
};

} // namespace DSP
