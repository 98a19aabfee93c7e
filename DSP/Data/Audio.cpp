#include "DSP/Data/Audio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"

namespace DSP {

namespace {
constexpr double kMsPerSecond = 1000.0;
} // namespace

Audio::Audio() : mSampleRate(GlobalProcessInfo::GetSampleRate()) {}

void Audio::SetSize(int n) {
    if (n == GetSize())
        return;
    // A negative size is a caller's mistake; inside a host it must not take the whole
    // process down, so it is reported like every other misuse of the library.
    DSP_CHECK(n >= 0, "Audio::SetSize: the size must not be negative");
    mBuffer.Resize(n);
    mBuffer.SetSize(n);
}

double Audio::GetTimeFromIndex(int index) const {
    return static_cast<double>(index) / mSampleRate * kMsPerSecond;
}

} // namespace DSP
