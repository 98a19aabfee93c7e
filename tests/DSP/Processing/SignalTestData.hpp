#pragma once

// Buffers and test signals shared by the short-time analysis and synthesis tests.

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Array.hpp"
#include "support/SignalMeasures.hpp"

#include <cmath>
#include <limits>
#include <vector>

// n samples uniform in [-1, 1) drawn from a fixed seed.
inline std::vector<float> RandomSamples(int n, unsigned seed) {
    return SignalMeasures::UniformNoise(std::size_t(n), 1.0f, seed);
}

inline DSP::Array<float> ArrayOf(const std::vector<float>& samples) {
    DSP::Array<float> a(int(samples.size()));
    for (int i = 0; i < a.Size(); ++i)
        a[i] = samples[std::size_t(i)];
    return a;
}

inline DSP::Audio AudioOf(const std::vector<float>& samples) {
    DSP::Audio audio;
    audio.SetSize(int(samples.size()));
    audio.GetBuffer() = ArrayOf(samples);
    return audio;
}

// Prefilled with NaN, so that a test sees every sample that is written.
inline DSP::Audio NaNAudio(int n) {
    return AudioOf(std::vector<float>(std::size_t(n), std::numeric_limits<float>::quiet_NaN()));
}

inline std::vector<float> Samples(const DSP::Array<float>& a) {
    return std::vector<float>(a.GetPtr(), a.GetPtr() + a.Size());
}

inline double Sum(const DSP::Array<float>& a) {
    double s = 0.0;
    for (int i = 0; i < a.Size(); ++i)
        s += a[i];
    return s;
}

inline double Norm(const std::vector<float>& x) {
    double s = 0.0;
    for (float v : x)
        s += double(v) * v;
    return std::sqrt(s);
}

// A transform configuration (forward or inverse) of size n.
template <class Config> Config SizeConfig(int n) {
    Config config;
    config.SetAudioSize(n);
    return config;
}
