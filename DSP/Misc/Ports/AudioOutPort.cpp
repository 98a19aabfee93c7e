#include "DSP/Misc/Ports/AudioOutPort.hpp"

namespace DSP {

AudioOutPort::AudioOutPort(const std::string& name, Processing* owner)
    : OutPort<float>(name, owner) {
    SetSize(512);
    SetHop(512);
}

Audio& AudioOutPort::GetAudio() {
    return Borrow(&GetData(0), GetSize());
}

Audio& AudioOutPort::GetLastWrittenAudio(int offset) {
    // Only the window's own samples are handed out: past its end the stream holds other
    // windows, or nothing at all.
    DSP_CHECK(offset >= 0 && offset <= GetSize(),
              "AudioOutPort::GetLastWrittenAudio() - offset must lie within the window");
    return Borrow(&GetLastWrittenData(offset), GetSize() - offset);
}

Audio& AudioOutPort::Borrow(float* first, int size) {
    mAudio.GetBuffer().SetPtr(first, size);
    mAudio.SetSampleRate(mSampleRate);
    return mAudio;
}

} // namespace DSP
