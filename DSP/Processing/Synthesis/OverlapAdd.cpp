#include "DSP/Processing/Synthesis/OverlapAdd.hpp"

#include "DSP/Misc/Err.hpp"

#include <algorithm>

namespace DSP {

OverlapAdd::OverlapAdd() : mInput("Audio Input", this), mOutput("Audio Output", this) {}

OverlapAdd::OverlapAdd(const OverlapAddConfig& config) : OverlapAdd() {
    Configure(config);
}

OverlapAdd::~OverlapAdd() = default;

bool OverlapAdd::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const OverlapAddConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be an OverlapAddConfig");
        return false;
    }
    if (concrete->GetHopSize() <= 0) {
        AddConfigErrorMessage("OverlapAdd: the hop size must be positive");
        return false;
    }
    mConfig = *concrete;
    const int hop = mConfig.GetHopSize();
    mInput.SetSize(2 * hop);
    mInput.SetHop(2 * hop);
    mOutput.SetSize(hop);
    mOutput.SetHop(hop);
    mBuffer.SetSize(0);
    mBuffer.SetSize(2 * hop + 1);
    return true;
}

bool OverlapAdd::Do(const Audio& in, Audio& out) {
    const int n = in.GetSize();
    const int bufferSize = mBuffer.GetSize();
    DSP_CHECK(n <= bufferSize && out.GetSize() <= bufferSize,
              "OverlapAdd::Do(): audio larger than the configured blocks");
    float* buffer = mBuffer.GetBuffer().GetPtr();
    const float* input = in.GetBuffer().GetPtr();
    const int half = n / 2;
    for (int i = 0; i < half; ++i)
        buffer[i] = buffer[i + half] + input[i];
    for (int i = half; i < n; ++i)
        buffer[i] = input[i];
    std::copy(buffer, buffer + out.GetSize(), out.GetBuffer().GetPtr());
    return true;
}

bool OverlapAdd::Do() {
    const bool result = Do(mInput.GetAudio(), mOutput.GetAudio());
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
