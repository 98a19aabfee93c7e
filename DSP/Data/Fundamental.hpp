#pragma once

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Component.hpp"

namespace DSP {

// Fundamental-frequency candidates of one analysis frame: parallel arrays of candidate
// frequencies (Hz) and their mismatch errors, best candidate first once sorted by error.
// The capacity is the number of candidates a detector is asked for; it starts at 1.
class Fundamental : public Component {
public:
    const char* GetDSPClassName() const override { return "Fundamental"; }
    Fundamental* Species() const override { return new Fundamental(); }
    Fundamental* DeepCopy() const override { return new Fundamental(*this); }
    Fundamental* ShallowCopy() const override { return new Fundamental(*this); }

    Fundamental();

    int GetnCandidates() const { return mCandidatesFreq.Size(); }
    int GetnMaxCandidates() const { return mCandidatesFreq.AllocatedSize(); }
    void SetnMaxCandidates(int n);
    // n must not exceed the capacity.
    void SetnCandidates(int n);
    // Removes every candidate; the capacity stays.
    void Init();

    // A position without a candidate reads as 0 Hz with the worst error, 100.
    float GetFreq(int i) const;
    float GetErr(int i) const;
    // Unchecked: i must be a position below GetnCandidates().
    void SetFreq(int i, float freqHz) { mCandidatesFreq[i] = freqHz; }
    void SetErr(int i, float err) { mCandidatesErr[i] = err; }

    // Appends a candidate, growing the capacity when it is full.
    void AddElem(float freqHz, float err);
    // Inserts before position i; refused when the capacity is full.
    void InsertElem(int i, float freqHz, float err);
    void DeleteElem(int i);

    // Ascending exchange sort by error; a candidate's frequency and error move together.
    void SortByError();

    Array<float>& GetCandidatesFreq() { return mCandidatesFreq; }
    const Array<float>& GetCandidatesFreq() const { return mCandidatesFreq; }
    Array<float>& GetCandidatesErr() { return mCandidatesErr; }
    const Array<float>& GetCandidatesErr() const { return mCandidatesErr; }

private:
    void SwapCandidates(int i, int j);

    Array<float> mCandidatesFreq;
    Array<float> mCandidatesErr;
};

} // namespace DSP
