#pragma once
// A document and an engine set up the way a host sets them up, and helpers that feed them.

#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelDocument.hpp"

#include <cstdint>
#include <random>
#include <vector>

namespace EngineTest {

constexpr int kRate = 44100;

struct Harness {
    explicit Harness(int channels = 2, unsigned int maxBlock = 4096, int rate = kRate)
        : engine(&document), channels(channels) {
        engine.setMaxBufferSize(maxBlock);
        engine.setChannelConfiguration(unsigned(channels), unsigned(channels));
        engine.setSamplingRate(unsigned(rate));
        engine.Initialize();
    }
    ~Harness() { document.removeInterface(&engine); }

    void set(unsigned int index, orvane::AnyValue value) {
        document.updateParameter(index, value, nullptr);
    }
    void set(unsigned int index, float value) { set(index, orvane::AnyValue(value)); }

    // Renders planar `input` in blocks of `block` samples; returns the planar output.
    std::vector<std::vector<float>> render(const std::vector<std::vector<float>>& input,
                                           unsigned int block) {
        const size_t frames = input[0].size();
        std::vector<std::vector<float>> output(input.size(), std::vector<float>(frames));
        for (size_t pos = 0; pos < frames; pos += block) {
            const unsigned int n = unsigned(std::min<size_t>(block, frames - pos));
            float* in[2] = {nullptr, nullptr};
            float* out[2] = {nullptr, nullptr};
            std::vector<std::vector<float>> inCopy(input.size());
            for (size_t c = 0; c < input.size(); ++c) {
                inCopy[c].assign(input[c].begin() + long(pos), input[c].begin() + long(pos + n));
                in[c] = inCopy[c].data();
                out[c] = output[c].data() + pos;
            }
            engine.Process(in, out, n);
        }
        return output;
    }

    QuorvelDocument document;
    QuorvelAudio engine;
    int channels;
};

// Deterministic test material: a few partials plus noise, different per channel.
inline std::vector<std::vector<float>> testSignal(int channels, size_t frames, uint32_t seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-0.1f, 0.1f);
    std::vector<std::vector<float>> signal(static_cast<size_t>(channels),
                                           std::vector<float>(frames));
    for (int c = 0; c < channels; ++c)
        for (size_t i = 0; i < frames; ++i) {
            const double t = double(i) / kRate;
            signal[size_t(c)][i] = float(0.3 * std::sin(6.283185307 * (220.0 + 110 * c) * t) +
                                         0.2 * std::sin(6.283185307 * 1730.0 * t)) +
                                   noise(rng);
        }
    return signal;
}

} // namespace EngineTest
