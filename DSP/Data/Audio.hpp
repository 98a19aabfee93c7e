#pragma once

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Component.hpp"

namespace DSP {

// A block of mono samples with its sample rate (Hz) and the time of its first sample (ms).
// Sample indices are positions in the buffer; times are milliseconds as doubles.
class Audio : public Component {
public:
    const char* GetDSPClassName() const override { return "Audio"; }
    Audio* Species() const override { return new Audio(); }
    Audio* DeepCopy() const override { return new Audio(*this); }
    Audio* ShallowCopy() const override { return new Audio(*this); }

    // The sample rate starts as the process-wide one (GlobalProcessInfo).
    Audio();

    float GetSampleRate() const { return mSampleRate; }
    void SetSampleRate(float sampleRateHz) { mSampleRate = sampleRateHz; }
    double GetBeginTime() const { return mBeginTime; }
    void SetBeginTime(double beginTimeMs) { mBeginTime = beginTimeMs; }
    double GetDuration() const { return GetTimeFromIndex(GetSize()); }
    double GetEndTime() const { return mBeginTime + GetDuration(); }

    Array<float>& GetBuffer() { return mBuffer; }
    const Array<float>& GetBuffer() const { return mBuffer; }

    int GetSize() const { return mBuffer.Size(); }
    // Resizes the buffer to exactly n samples, keeping the first ones; new samples are 0.
    // A negative n throws ErrAssertionFailed and leaves the block unchanged.
    void SetSize(int n);

    double GetTimeFromIndex(int index) const;

private:
    float mSampleRate;
    double mBeginTime = 0.0;
    Array<float> mBuffer;
};

} // namespace DSP
