#include "DSP/Misc/Ports/AudioInPort.hpp"

namespace DSP {

AudioInPort::AudioInPort(const std::string& name, Processing* owner) : InPort<float>(name, owner) {
    SetSize(512);
    SetHop(512);
}

Audio& AudioInPort::GetAudio() {
    mAudio.GetBuffer().SetPtr(&GetData(0), GetSize());
    mAudio.SetSampleRate(mSampleRate);
    return mAudio;
}

} // namespace DSP
