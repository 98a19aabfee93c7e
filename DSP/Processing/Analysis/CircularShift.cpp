#include "DSP/Processing/Analysis/CircularShift.hpp"

#include "DSP/Misc/Err.hpp"

#include <algorithm>
#include <limits>

namespace DSP {

namespace {

// Truncation toward zero, kept inside the int range (NaN gives no shift).
int TruncatedShift(float amount) {
    if (!(amount == amount))
        return 0;
    const float limit = float(std::numeric_limits<int>::max() / 2);
    return int(std::clamp(amount, -limit, limit));
}

} // namespace

CircularShift::CircularShift() : mInput("Input samples", this), mOutput("Shifted samples", this) {}

CircularShift::CircularShift(const CircularShiftConfig& config) : CircularShift() {
    Configure(config);
}

CircularShift::~CircularShift() = default;

bool CircularShift::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const CircularShiftConfig*>(&config);
    if (concrete == nullptr) {
        AddConfigErrorMessage("Config should be a CircularShiftConfig");
        return false;
    }
    mConfig = *concrete;
    mShift = TruncatedShift(mConfig.GetAmount());
    return true;
}

bool CircularShift::Do(const Array<float>& in, Array<float>& out) {
    DSP_CHECK(in.Size() == out.Size(),
              "CircularShift::Do(): input and output vectors do not  match");
    const int size = in.Size();
    if (size == 0)
        return true;
    // out[(i + k) mod N] = in[i]: the output starts with input sample (N - k) mod N.
    int first = (-mShift) % size;
    if (first < 0)
        first += size;
    const float* begin = in.GetPtr();
    float* target = out.GetPtr();
    if (begin == target) {
        // In place: the shorter part waits in a small buffer while the longer one moves
        // (std::rotate moves element by element); longer parts than the buffer rotate.
        constexpr int kBuffered = 2048;
        float buffer[kBuffered];
        const int tail = size - first;
        if (first <= tail && first <= kBuffered) {
            std::copy_n(target, first, buffer);
            std::copy_n(target + first, tail, target);
            std::copy_n(buffer, first, target + tail);
        } else if (tail <= kBuffered) {
            std::copy_n(target + first, tail, buffer);
            std::copy_backward(target, target + first, target + size);
            std::copy_n(buffer, tail, target);
        } else {
            std::rotate(target, target + first, target + size);
        }
    } else
        std::rotate_copy(begin, begin + first, begin + size, target);
    return true;
}

bool CircularShift::Do(const Audio& in, Audio& out) {
    return Do(in.GetBuffer(), out.GetBuffer());
}

bool CircularShift::Do(Spectrum& in, Spectrum& out) {
    return Do(in.GetMagBuffer(), out.GetMagBuffer());
}

bool CircularShift::Do() {
    Do(mInput.GetAudio(), mOutput.GetAudio());
    mInput.Consume();
    mOutput.Produce();
    return true;
}

} // namespace DSP
