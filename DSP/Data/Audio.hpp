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
    int GetIndexFromTime(double timeMs) const;

    void ResizeToDuration(double durationMs);
    void ResizeToEndTime(double endTimeMs);
    // Older names of the two above; they report a deprecation warning first.
    void SetDuration(double durationMs);
    void SetEndTime(double endTimeMs);

    // Copies samples [begin, end) into chunk; positions outside this block give 0, so begin
    // may be negative and end may pass the size. With configureChunk the chunk takes this
    // block's sample rate and is resized to end - begin; otherwise it must already hold that
    // many samples.
    void GetAudioChunk(int begin, int end, Audio& chunk, bool configureChunk = true) const;
    void GetAudioChunk(double beginMs, double endMs, Audio& chunk,
                       bool configureChunk = true) const;

    // Copies samples [begin, end), which must lie inside this block. With configureSlice the
    // slice takes the begin time, sample rate and size; otherwise it must hold end - begin.
    void GetAudioSlice(int begin, int end, Audio& slice, bool configureSlice = true) const;
    void GetAudioSlice(double beginMs, double endMs, Audio& slice,
                       bool configureSlice = true) const;

    // Writes chunk into this block from position begin on, cut at this block's end; a
    // negative begin drops the chunk's first -begin samples.
    void SetAudioChunk(int begin, const Audio& chunk);
    void SetAudioChunk(double beginMs, const Audio& chunk);

private:
    float mSampleRate;
    double mBeginTime = 0.0;
    Array<float> mBuffer;
};

} // namespace DSP
