#include "DSP/Data/Fundamental.hpp"

#include "DSP/Misc/Err.hpp"

#include <utility>

namespace DSP {

namespace {
constexpr float kNoCandidateFreqHz = 0.f;
constexpr float kNoCandidateErr = 100.f;
} // namespace

Fundamental::Fundamental() {
    SetnMaxCandidates(1);
}

void Fundamental::SetnMaxCandidates(int n) {
    mCandidatesFreq.Resize(n);
    mCandidatesErr.Resize(n);
}

void Fundamental::SetnCandidates(int n) {
    mCandidatesFreq.SetSize(n);
    mCandidatesErr.SetSize(n);
}

void Fundamental::Init() {
    SetnCandidates(0);
}

float Fundamental::GetFreq(int i) const {
    if (i < 0 || i >= GetnCandidates())
        return kNoCandidateFreqHz;
    return mCandidatesFreq[i];
}

float Fundamental::GetErr(int i) const {
    if (i < 0 || i >= GetnCandidates())
        return kNoCandidateErr;
    return mCandidatesErr[i];
}

void Fundamental::AddElem(float freqHz, float err) {
    mCandidatesFreq.AddElem(freqHz);
    mCandidatesErr.AddElem(err);
}

void Fundamental::InsertElem(int i, float freqHz, float err) {
    DSP_CHECK(GetnCandidates() < GetnMaxCandidates(),
              "Fundamental::InsertElem(): Number of Candidates exceeds maximum");
    // Both arrays have the same size, so the first insert refuses a bad index before either
    // array changes.
    mCandidatesFreq.InsertElem(i, freqHz);
    mCandidatesErr.InsertElem(i, err);
}

void Fundamental::DeleteElem(int i) {
    DSP_CHECK(i >= 0 && i < GetnCandidates(),
              "Fundamental::DeleteElem(): Wrong index, element does not exist");
    mCandidatesFreq.DeleteElem(i);
    mCandidatesErr.DeleteElem(i);
}

// Exchange sort: the candidate lists hold a handful of entries, and this order of swaps is
// what decides between candidates with equal errors.
void Fundamental::SortByError() {
    const int n = GetnCandidates();
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (mCandidatesErr[j] < mCandidatesErr[i])
                SwapCandidates(i, j);
}

void Fundamental::SwapCandidates(int i, int j) {
    std::swap(mCandidatesFreq[i], mCandidatesFreq[j]);
    std::swap(mCandidatesErr[i], mCandidatesErr[j]);
}

} // namespace DSP
