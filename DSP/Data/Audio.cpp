#include "DSP/Data/Audio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace DSP {

namespace {
constexpr double kMsPerSecond = 1000.0;

// Copies count samples between two buffers that may be the same one.
void MoveSamples(float* dst, const float* src, int count) {
    if (count > 0)
        std::memmove(dst, src, sizeof(float) * static_cast<size_t>(count));
}
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

int Audio::GetIndexFromTime(double timeMs) const {
    const float index = static_cast<float>(mSampleRate / 1000.f * timeMs);
    return static_cast<int>(std::lround(index));
}

void Audio::ResizeToDuration(double durationMs) {
    SetSize(GetIndexFromTime(durationMs));
}

void Audio::ResizeToEndTime(double endTimeMs) {
    SetSize(static_cast<int>(std::lround((endTimeMs - mBeginTime) / kMsPerSecond * mSampleRate)));
}

void Audio::SetDuration(double durationMs) {
    ExecuteWarningHandler("Audio::SetDuration is about to be deprecated. Please use "
                          "Audio::ResizeToDuration instead",
                          __FILE__, __LINE__);
    ResizeToDuration(durationMs);
}

void Audio::SetEndTime(double endTimeMs) {
    ExecuteWarningHandler("Audio::SetEndTime is about to be deprecated. Please use "
                          "Audio::ResizeToEndTime instead",
                          __FILE__, __LINE__);
    ResizeToEndTime(endTimeMs);
}

void Audio::GetAudioChunk(int begin, int end, Audio& chunk, bool configureChunk) const {
    DSP_CHECK(end > begin, "Audio::GetAudioChunk: Incorrect index boundaries for audio chunk");
    const int n = end - begin;
    // Without configuring, the chunk keeps its size, so it must already have room.
    DSP_CHECK(configureChunk || chunk.GetSize() >= n,
              "Audio::GetAudioChunk: the chunk holds fewer samples than requested");
    const int size = GetSize();
    if (begin >= size) {
        if (configureChunk)
            chunk.SetSize(n);
        std::fill_n(chunk.mBuffer.GetPtr(), n, 0.f);
        return;
    }
    chunk.mBeginTime = GetTimeFromIndex(begin);
    if (configureChunk) {
        chunk.mSampleRate = mSampleRate;
        chunk.SetSize(n);
    }
    // Positions before 0 and at or after this block's end read as silence; [lo, hi) is the
    // part of the chunk that lies inside this block.
    float* out = chunk.mBuffer.GetPtr();
    std::fill_n(out, n, 0.f);
    const int lo = std::min(std::max(-begin, 0), n);
    const int hi = std::min(size - begin, n);
    MoveSamples(out + lo, mBuffer.GetPtr() + begin + lo, hi - lo);
}

void Audio::GetAudioChunk(double beginMs, double endMs, Audio& chunk, bool configureChunk) const {
    GetAudioChunk(GetIndexFromTime(beginMs), GetIndexFromTime(endMs), chunk, configureChunk);
}

void Audio::GetAudioSlice(int begin, int end, Audio& slice, bool configureSlice) const {
    DSP_CHECK(begin >= 0, "Negative indexes are not allowed for audio slices");
    DSP_CHECK(end <= GetSize(), "Slices are not allowed to surpass audio size");
    DSP_CHECK(end >= begin, "Audio::GetAudioSlice: Incorrect index boundaries for audio slice");
    const int n = end - begin;
    DSP_CHECK(configureSlice || slice.GetSize() >= n,
              "Audio::GetAudioSlice: the slice holds fewer samples than requested");
    if (configureSlice) {
        slice.mBeginTime = GetTimeFromIndex(begin);
        slice.mSampleRate = mSampleRate;
        slice.SetSize(n);
    }
    MoveSamples(slice.mBuffer.GetPtr(), mBuffer.GetPtr() + begin, n);
}

void Audio::GetAudioSlice(double beginMs, double endMs, Audio& slice, bool configureSlice) const {
    GetAudioSlice(GetIndexFromTime(beginMs), GetIndexFromTime(endMs), slice, configureSlice);
}

void Audio::SetAudioChunk(int begin, const Audio& chunk) {
    DSP_CHECK(begin < GetSize(), "Audio::SetAudioChunk: Incorrect begin index");
    const int skipped = std::max(-begin, 0);
    const int firstInside = std::max(begin, 0);
    const int count = std::min(chunk.GetSize() - skipped, GetSize() - firstInside);
    MoveSamples(mBuffer.GetPtr() + firstInside, chunk.mBuffer.GetPtr() + skipped, count);
}

void Audio::SetAudioChunk(double beginMs, const Audio& chunk) {
    SetAudioChunk(GetIndexFromTime(beginMs), chunk);
}

} // namespace DSP
