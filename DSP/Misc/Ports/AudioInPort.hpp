#pragma once

#include <string>

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Ports/InPort.hpp"

namespace DSP {

/// An in-port of samples that also presents its window as a DSP::Audio block borrowing the
/// stream's memory (no copy). Starts with a window of 512 samples, a hop of 512 and a sample
/// rate of 44100 Hz.
class AudioInPort : public InPort<float> {
public:
    explicit AudioInPort(const std::string& name = "unnamed audio in port",
                         Processing* owner = nullptr);

    /// The window to read, as an Audio block of GetSize() samples at this port's sample rate.
    /// Fails on a port that is not connected.
    Audio& GetAudio();

    void SetSampleRate(float sampleRateHz) { mSampleRate = sampleRateHz; }
    float GetSampleRate() const { return mSampleRate; }

private:
    Audio mAudio;
    float mSampleRate = 44100.f;
};

} // namespace DSP
