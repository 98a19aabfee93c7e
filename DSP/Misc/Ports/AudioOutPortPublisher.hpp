#pragma once

#include <string>

#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"

namespace DSP {

/// The out-port of a composite that stands for a child's audio out-port. Besides what any
/// sample publisher forwards, it forwards the Audio view and the sample rate when the
/// published port is an AudioOutPort.
class AudioOutPortPublisher : public OutPortPublisher<float> {
public:
    explicit AudioOutPortPublisher(const std::string& name = "unnamed audio out port publisher",
                                   Processing* owner = nullptr)
        : OutPortPublisher<float>(name, owner) {}

    Audio& GetAudio() { return PublishedAudioPort().GetAudio(); }
    Audio& GetLastWrittenAudio(int offset = 0) {
        return PublishedAudioPort().GetLastWrittenAudio(offset);
    }
    void SetSampleRate(float sampleRateHz) { PublishedAudioPort().SetSampleRate(sampleRateHz); }
    float GetSampleRate() { return PublishedAudioPort().GetSampleRate(); }

private:
    AudioOutPort& PublishedAudioPort() {
        auto* port = dynamic_cast<AudioOutPort*>(GetPublishedOutPort());
        DSP_CHECK(port != nullptr, "AudioOutPortPublisher - the published port is missing or is "
                                   "not an AudioOutPort");
        return *port;
    }
};

} // namespace DSP
