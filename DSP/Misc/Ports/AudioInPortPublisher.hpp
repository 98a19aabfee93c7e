#pragma once

#include <string>

#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/InPortPublisher.hpp"

namespace DSP {

/// The in-port of a composite that stands for audio in-ports of its children. Setting its
/// sample rate sets that of every published AudioInPort.
class AudioInPortPublisher : public InPortPublisher<float> {
public:
    explicit AudioInPortPublisher(const std::string& name = "unnamed audio in port publisher",
                                  Processing* owner = nullptr)
        : InPortPublisher<float>(name, owner) {}

    void SetSampleRate(float sampleRateHz) {
        for (InPort<float>* port : GetPublishedPorts())
            if (auto* audio = dynamic_cast<AudioInPort*>(port))
                audio->SetSampleRate(sampleRateHz);
    }
};

} // namespace DSP
