#include "DSP/Processing/Analysis/FundFreqDetect.hpp"

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMathBlock.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace DSP {

namespace {

// Scratch is sized for the engine's largest peak arrays.
constexpr int kReservedPeaks = 500;
// The previous fundamental and the three strongest peaks enter the raw list whatever its
// capacity, so it holds at least four.
constexpr int kUncheckedCandidates = 4;
// Reference peaks below the strongest one must lie within this many dB of it; above it, a
// line starting this far below and falling kFallDbPerKHz per 1000 Hz.
constexpr float kLowerPeakRangeDb = 30.f;
constexpr float kUpperPeakRangeDb = 50.f;
constexpr float kFallDbPerKHz = -10.f;
constexpr float kHighestReferenceHz = 3000.f;
// The magnitude that hides an already chosen peak from the search for the next strongest.
constexpr float kHiddenMagDb = -2000.f;
// Candidate window: matches in merging, and the upper limit for derived candidates.
constexpr double kMergeBelow = 0.95;
constexpr double kCandidateAbove = 1.1;
// Refinement searches [0.9 g, 1.1 g] in steps of 0.8 % of g (at least 1 Hz).
constexpr float kRefineLow = 0.9f;
constexpr float kRefineHigh = 1.1f;
constexpr float kRefineStep = 0.008f;
constexpr float kRefinePenalty = 10.f;
// Sums above this grow quadratically.
constexpr float kSumKnee = 20.f;
constexpr int kRefinedCandidates = 3;
constexpr float kNoError = std::numeric_limits<float>::infinity();

float CompressedSum(float sum) {
    return sum > kSumKnee ? (sum - kSumKnee) * (sum - kSumKnee) + kSumKnee : sum;
}

} // namespace

FundFreqDetect::FundFreqDetect() {
    Configure(FundFreqDetectConfig());
}

FundFreqDetect::FundFreqDetect(const FundFreqDetectConfig& config) {
    Configure(config);
}

FundFreqDetect::~FundFreqDetect() = default;

bool FundFreqDetect::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const FundFreqDetectConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a FundFreqDetectConfig");
        return false;
    }
    mConfig = *concrete;
    mReferenceFundFreqHz = mConfig.GetInitialFundFreq();
    const int capacity = std::max(mConfig.GetMaxCandidates(), kUncheckedCandidates);
    mRawCandidates.SetnMaxCandidates(capacity);
    mMergedCandidates.SetnMaxCandidates(capacity);
    mRawCandidates.Init();
    mMergedCandidates.Init();
    const auto harmonicSlots =
        static_cast<std::size_t>(std::max(mConfig.GetPMHarmonics(), 10) * kTrialBatch);
    for (auto* slots : {&mPMHarmonicHz, &mPMPeakHz, &mPMPeakWeight})
        slots->resize(harmonicSlots);
    mRawTrials.resize(static_cast<std::size_t>(capacity));
    mRawErrors.resize(static_cast<std::size_t>(capacity));
    EnsurePeakCapacity(kReservedPeaks);
    return true;
}

void FundFreqDetect::EnsurePeakCapacity(int peaks) {
    if (static_cast<int>(mRemoved.size()) >= peaks)
        return;
    const auto size = static_cast<std::size_t>(peaks);
    mRemoved.resize(size);
    for (auto* scratch :
         {&mRefFreqHz, &mRefMagDb, &mWeight, &mMPFactor, &mMPOffsetTerm, &mRefSqrtFreq})
        scratch->resize(size);
}

bool FundFreqDetect::Do(SpectralPeakArray& peaks, Fundamental& out) {
    out.Init();
    const int wanted = out.GetnMaxCandidates();
    if (wanted <= 0)
        throw ErrAssertionFailed("FundFreqDet::Detection: negative number of candidates wanted",
                                 __FILE__, __LINE__);
    if (wanted > mConfig.GetMaxCandidates())
        throw ErrAssertionFailed("FundFreqDet::Detection:Number of candidates wanted bigger than "
                                 "the maximum configured on the algorithm",
                                 __FILE__, __LINE__);
    mRawCandidates.Init();
    mMergedCandidates.Init();
    if (!ChooseReferencePeaks(peaks) || !GenerateCandidates())
        return Unvoiced(out);

    ComputePeakWeights();
    const int raw = mRawCandidates.GetnCandidates();
    for (int i = 0; i < raw; ++i)
        mRawTrials[static_cast<std::size_t>(i)] = mRawCandidates.GetFreq(i);
    MismatchErrors(mRawTrials.data(), raw, mRawErrors.data());
    for (int i = 0; i < raw; ++i)
        mRawCandidates.SetErr(i, mRawErrors[static_cast<std::size_t>(i)]);
    mRawCandidates.SortByError();
    MergeCandidates();
    RefineBestCandidates();
    mMergedCandidates.SortByError();

    const int reported = std::min(mMergedCandidates.GetnCandidates(), wanted);
    for (int i = 0; i < reported; ++i)
        if (mMergedCandidates.GetErr(i) <= mConfig.GetMaxError())
            out.AddElem(mMergedCandidates.GetFreq(i), mMergedCandidates.GetErr(i));
    if (out.GetnCandidates() == 0)
        return Unvoiced(out);
    mReferenceFundFreqHz = out.GetFreq(0);
    mFundFreqValue.SendControl(mReferenceFundFreqHz);
    return true;
}

bool FundFreqDetect::Unvoiced(Fundamental& out) {
    out.Init();
    mFundFreqValue.SendControl(0.f);
    return false;
}

bool FundFreqDetect::ChooseReferencePeaks(SpectralPeakArray& peaks) {
    mnRef = 0;
    // The five per-peak arrays share one size; a caller that resized one alone is not read past.
    const int n =
        std::min({peaks.GetnPeaks(), peaks.GetFreqBuffer().Size(), peaks.GetBinPosBuffer().Size()});
    if (n == 0)
        return false;
    EnsurePeakCapacity(n);
    const float* freq = peaks.GetFreqBuffer().GetPtr();
    const float* mag = peaks.GetMagBuffer().GetPtr();
    const float* bin = peaks.GetBinPosBuffer().GetPtr();
    auto usable = [&](int i) {
        return std::isfinite(freq[i]) && std::isfinite(mag[i]) && std::isfinite(bin[i]);
    };

    // The strongest peak (the first on ties) among those with finite data.
    int p = -1;
    for (int i = 0; i < n; ++i)
        if (usable(i) && (p < 0 || mag[i] > mag[p]))
            p = i;
    peaks.ResetIndices();
    IndexArray& table = peaks.GetIndexArray();
    const float binHz = p >= 0 ? freq[p] / bin[p] : 0.f;
    if (!(binHz > 0.f) || !std::isfinite(binHz)) {
        table.SetSize(0);
        return false;
    }

    const float strongestDb = mag[p];
    std::fill_n(mRemoved.begin(), n, char(0));
    const float lowestBin = mConfig.GetMinFundFreq() / binHz;
    int i = 0;
    for (; i < n && bin[i] < lowestBin; ++i)
        mRemoved[i] = 1;
    for (; i < p; ++i)
        if (mag[i] < strongestDb - kLowerPeakRangeDb)
            mRemoved[i] = 1;
    const float highestBin = kHighestReferenceHz / binHz;
    for (i = n - 1; i > p && bin[i] > highestBin; --i)
        mRemoved[i] = 1;
    // Above the strongest peak the floor falls by 10 dB per 1000 Hz.
    const float slopeDbPerBin = binHz * kFallDbPerKHz / 1000.f;
    for (i = p + 1; i < n; ++i)
        if (mag[i] < (strongestDb - kUpperPeakRangeDb) + slopeDbPerBin * (bin[i] - bin[p]))
            mRemoved[i] = 1;

    for (i = 0; i < n; ++i) {
        if (mRemoved[i] || !usable(i))
            continue;
        table[mnRef] = i;
        mRefFreqHz[mnRef] = freq[i];
        mRefMagDb[mnRef] = mag[i];
        ++mnRef;
    }
    table.SetSize(mnRef);
    return mnRef > 0;
}

int FundFreqDetect::StrongestReferenceExcept(int excluded1, int excluded2) const {
    int best = 0;
    float bestDb = 0.f;
    for (int j = 0; j < mnRef; ++j) {
        const float db = (j == excluded1 || j == excluded2) ? kHiddenMagDb : mRefMagDb[j];
        if (j == 0 || db > bestDb) {
            best = j;
            bestDb = db;
        }
    }
    return best;
}

bool FundFreqDetect::GenerateCandidates() {
    mStrongest = StrongestReferenceExcept(-1, -1);
    mSecond = StrongestReferenceExcept(mStrongest, -1);
    mThird = StrongestReferenceExcept(mStrongest, mSecond);
    mStrongestFreqHz = mRefFreqHz[mStrongest];
    mStrongestMagDb = mRefMagDb[mStrongest];

    const float minHz = mConfig.GetMinFundFreq();
    const float maxHz = mConfig.GetMaxFundFreq();
    const int capacity = mConfig.GetMaxCandidates();
    const double limitHz = kCandidateAbove * static_cast<double>(mStrongestFreqHz);
    const float* fr = mRefFreqHz.data();
    Fundamental& raw = mRawCandidates;
    auto admissible = [=](float c) { return std::isfinite(c) && c >= minHz && c <= maxHz; };
    auto full = [&] { return raw.GetnCandidates() >= capacity; };
    // Derived candidates must also lie below 1.1 times the strongest peak's frequency.
    auto offerDerived = [&](float c) {
        if (admissible(c) && static_cast<double>(c) < limitHz)
            raw.AddElem(c, 0.f);
    };

    if (admissible(mReferenceFundFreqHz))
        raw.AddElem(mReferenceFundFreqHz, 0.f);
    if (mnRef >= 3 && admissible(fr[mThird]))
        raw.AddElem(fr[mThird], 0.f);
    if (mnRef >= 2 && admissible(fr[mSecond]))
        raw.AddElem(fr[mSecond], 0.f);
    if (admissible(mStrongestFreqHz))
        raw.AddElem(mStrongestFreqHz, 0.f);

    const float magFloorDb = mStrongestMagDb - mConfig.GetCandidateMagRange();
    for (int i = 0; i < mStrongest && !full(); ++i)
        if (i != mSecond && i != mThird && admissible(fr[i]) && mRefMagDb[i] > magFloorDb)
            raw.AddElem(fr[i], 0.f);
    for (int j = mStrongest + 1; j < mnRef && !full(); ++j)
        offerDerived(fr[j] - mStrongestFreqHz);
    for (int i = 0; i < mnRef && !full(); ++i) {
        if (i == mStrongest)
            continue;
        for (int j = i + 1; j < mnRef && !full(); ++j)
            offerDerived(fr[j] - fr[i]);
    }
    const int divisions = mConfig.GetSubharmonicDivisions();
    for (int k = 0; k < mnRef && !full(); ++k)
        for (int d = 1; d <= divisions && !full(); ++d)
            offerDerived(fr[k] / static_cast<float>(d));
    return raw.GetnCandidates() > 0;
}

// A peak far below the strongest one counts less: its weight falls from 1 at 20 dB below to 0
// at 95 dB below.
void FundFreqDetect::ComputePeakWeights() {
    for (int i = 0; i < mnRef; ++i) {
        const float a =
            std::max(0.f, 1.f - std::max(mStrongestMagDb - mRefMagDb[i] + 20.f, 0.f) / 75.f);
        const float a3 = a * a * a;
        const float a4 = a3 * a;
        mWeight[i] = a;
        mMPFactor[i] = a3 + mConfig.GetMPFreqWeight() * a4;
        mMPOffsetTerm[i] = mConfig.GetMPOffset() * a4;
        mRefSqrtFreq[i] = DSP_sqrt(mRefFreqHz[i]);
    }
    mnPMHarmonics = mnRef > 4 ? std::min(mnRef, mConfig.GetPMHarmonics()) : 10;
    mnMPPeaks = std::min(mnRef, mConfig.GetMPPeaks());
}

// Predicted-to-measured: how far each harmonic of a trial lies from its nearest peak;
// measured-to-predicted: how far each peak lies from its nearest harmonic. The first stops once
// its harmonics pass the highest peak, the second once the peaks lie above ten harmonics. The
// second is summed for a batch of trials at once.
void FundFreqDetect::MismatchErrors(const float* trials, int n, float* errors) {
    const float* fr = mRefFreqHz.data();
    const float highestHz = fr[mnRef - 1];
    for (int start = 0; start < n; start += kTrialBatch) {
        const int batch = std::min(kTrialBatch, n - start);
        for (int t = 0; t < batch; ++t) {
            // Each harmonic below the highest peak, with its nearest peak, for the batch sums.
            const float trialHz = trials[start + t];
            int pmCount = mnPMHarmonics;
            float harmonicHz = trialHz;
            int nearest = 0;
            const int pmHarmonics = std::min(mnRef, mnPMHarmonics);
            int h = 0;
            for (; h < pmHarmonics; ++h) {
                if (harmonicHz > highestHz) {
                    pmCount = h + 1;
                    break;
                }
                while (nearest + 1 < mnRef && std::fabs(fr[nearest + 1] - harmonicHz) <
                                                  std::fabs(fr[nearest] - harmonicHz))
                    ++nearest;
                const auto at = static_cast<std::size_t>(h * kTrialBatch + t);
                mPMHarmonicHz[at] = harmonicHz;
                mPMPeakHz[at] = fr[nearest];
                mPMPeakWeight[at] = mWeight[nearest];
                harmonicHz += trialHz;
            }
            mPMTerms[t] = h;
            mPMCount[t] = pmCount;
            // The peaks compared: up to and including the first above ten harmonics (past the
            // first MPPeaks), or all of them.
            const float stopHz = 10.f * trialHz;
            int mpCount = mnRef;
            for (int i = mnMPPeaks + 1; i < mnRef; ++i)
                if (fr[i] > stopHz) {
                    mpCount = i + 1;
                    break;
                }
            mMPCount[t] = mpCount;
        }
        PredictedMismatchSums(mPMHarmonicHz.data(), mPMPeakHz.data(), mPMPeakWeight.data(),
                              mPMTerms.data(), batch, kTrialBatch, mConfig.GetPMFreqWeight(),
                              mConfig.GetPMOffset(), mPMSum.data());
        // Above 500 Hz, trials ignore the peaks below 100 Hz.
        HarmonicMismatchSums(fr, mRefSqrtFreq.data(), mMPFactor.data(), mMPOffsetTerm.data(),
                             mMPCount.data(), trials + start, batch, 100.f, 500.f, mMPSum.data());
        for (int t = 0; t < batch; ++t) {
            const float error =
                mConfig.GetPMWeight() * CompressedSum(mPMSum[t]) / static_cast<float>(mPMCount[t]) +
                mConfig.GetMPWeight() * CompressedSum(mMPSum[t]) / static_cast<float>(mMPCount[t]);
            // A trial that the peaks cannot score (a peak at 0 Hz) must never win a comparison.
            errors[start + t] = std::isnan(error) ? kNoError : error;
        }
    }
}

// Near-duplicates (within -5 % ... +10 %) collapse into the entry with the smaller error.
void FundFreqDetect::MergeCandidates() {
    Fundamental& merged = mMergedCandidates;
    for (int i = 0; i < mRawCandidates.GetnCandidates(); ++i) {
        const float c = mRawCandidates.GetFreq(i);
        const float e = mRawCandidates.GetErr(i);
        bool matched = false;
        for (int m = 0; m < merged.GetnCandidates(); ++m) {
            const double g = merged.GetFreq(m);
            if (kMergeBelow * g < c && c < kCandidateAbove * g) {
                matched = true;
                if (merged.GetErr(m) > e) {
                    merged.SetFreq(m, c);
                    merged.SetErr(m, e);
                }
            }
        }
        if (!matched)
            merged.AddElem(c, e);
    }
}

// A local search of about 26 trials around each of the best merged candidates; trials above
// 1.1 times the strongest peak's frequency pay a penalty.
void FundFreqDetect::RefineBestCandidates() {
    const double penaltyAboveHz = kCandidateAbove * static_cast<double>(mStrongestFreqHz);
    const int refined = std::min(kRefinedCandidates, mMergedCandidates.GetnCandidates());
    for (int m = 0; m < refined; ++m) {
        const float g = mMergedCandidates.GetFreq(m);
        float bestHz = g;
        float bestError = mMergedCandidates.GetErr(m);
        float stepHz = kRefineStep * g;
        if (!(stepHz > 1.f))
            stepHz = 1.f;
        const float highHz = kRefineHigh * g;
        float t = kRefineLow * g;
        while (t <= highHz) {
            int n = 0;
            for (; n < kTrialBatch && t <= highHz; t += stepHz)
                mTrials[static_cast<std::size_t>(n++)] = t;
            MismatchErrors(mTrials.data(), n, mTrialErrors.data());
            for (int j = 0; j < n; ++j) {
                const float trialHz = mTrials[static_cast<std::size_t>(j)];
                float e = mTrialErrors[static_cast<std::size_t>(j)];
                if (static_cast<double>(trialHz) > penaltyAboveHz)
                    e += kRefinePenalty;
                if (e < bestError) {
                    bestHz = trialHz;
                    bestError = e;
                }
            }
        }
        mMergedCandidates.SetFreq(m, bestHz);
        mMergedCandidates.SetErr(m, bestError);
    }
}

bool FundFreqDetect::Do() {
    Fundamental& out = mOutput.GetData();
    out.SetnMaxCandidates(1);
    const bool result = Do(mInput.GetData(), out);
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
