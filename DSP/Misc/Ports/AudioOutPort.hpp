#pragma once

#include <string>

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"

namespace DSP {

/// An out-port of samples that also presents its windows as a DSP::Audio block borrowing
/// the stream's memory (no copy). Starts with a window of 512 samples, a hop of 512 and a
/// sample rate of 44100 Hz.
class AudioOutPort : public OutPort<float> {
public:
    explicit AudioOutPort(const std::string& name = "unnamed audio out port",
                          Processing* owner = nullptr);

    /// The window being written, as an Audio block of GetSize() samples at this port's
    /// sample rate. Writing into its buffer writes into the stream.
    Audio& GetAudio();
    /// The window written by the last Produce(), from sample offset on (the block holds the
    /// GetSize() - offset samples of that window that follow offset; offset must lie within
    /// 0 .. GetSize()).
    Audio& GetLastWrittenAudio(int offset = 0);

    void SetSampleRate(float sampleRateHz) { mSampleRate = sampleRateHz; }
    float GetSampleRate() const { return mSampleRate; }

private:
    Audio& Borrow(float* first, int size);

    Audio mAudio;
    float mSampleRate = 44100.f;
};

} // namespace DSP
