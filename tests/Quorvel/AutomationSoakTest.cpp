// A seeded session of random automation, the way a busy host drives the engine: program
// switches every few blocks, parameter moves through the document (now and then out of range or
// NaN), blocks of any length from 1 to 4096, on a voice-like input.

#include "EngineHarness.hpp"
#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace {

using EngineTest::kRate;

// A sung vowel: ten harmonics of 150 Hz with a 5.5 Hz vibrato of 3 %, breath noise below them.
std::vector<float> voice(size_t frames, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-0.02f, 0.02f);
    std::vector<float> out(frames);
    double phase = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        phase += 2.0 * M_PI * 150.0 * (1.0 + 0.03 * std::sin(2.0 * M_PI * 5.5 * t)) / kRate;
        double s = 0.0;
        for (int k = 1; k <= 10; ++k)
            s += std::sin(k * phase) / k;
        out[i] = float(0.2 * s) + noise(rng);
    }
    return out;
}

// `v` as a value of `p`'s type.
orvane::AnyValue typed(const ParameterDescription& p, float v) {
    if (p.type == orvane::AnyValue::Bool)
        return orvane::AnyValue(v > 0.5f * (p.minValue + p.maxValue));
    if (p.type == orvane::AnyValue::Int)
        return orvane::AnyValue(int(std::floor(v)));
    return orvane::AnyValue(v);
}

// A value for `p`, a quarter of them out of range (or NaN).
orvane::AnyValue randomValue(const ParameterDescription& p, std::mt19937& rng) {
    const float span = p.maxValue - p.minValue;
    float v = p.minValue + span * std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
    const unsigned int odd = rng() % 12; // a quarter of the moves: above, below or NaN
    const float strays[] = {p.maxValue + span + 1.0f, p.minValue - span - 1.0f, std::nanf("")};
    return typed(p, odd < (p.type == orvane::AnyValue::Float ? 3u : 2u) ? strays[odd] : v);
}

// Runs the session; returns every output sample, one channel after the other.
std::vector<float> soak(int channels, uint32_t seed, size_t frames) {
    EngineTest::Harness h(channels, 4096);
    std::mt19937 rng(seed);
    std::vector<std::vector<float>> in{voice(frames, seed), voice(frames, seed + 1)};
    std::vector<std::vector<float>> out{2, std::vector<float>(frames)}; // mono: 2nd stays 0
    const ProgramDescription* program = &ProgramTable::program(0);
    std::vector<unsigned int> deck;
    int blocksToSwitch = 0;
    constexpr size_t kNone = SIZE_MAX;
    size_t soundCheckFrom = kNone; // where a stretch that must sound began, if one runs
    for (size_t pos = 0; pos < frames;) {
        if (--blocksToSwitch < 0) {
            blocksToSwitch = int(rng() % 8);
            if (deck.empty()) { // every program in a shuffled order, then again
                deck.resize(ProgramTable::kProgramCount);
                std::iota(deck.begin(), deck.end(), 0u);
                std::shuffle(deck.begin(), deck.end(), rng);
            }
            h.document.activateProgram(deck.back());
            deck.pop_back();
            program = &ProgramTable::program(h.document.getCurrentPresetNumber());
            soundCheckFrom = kNone;
            if (rng() % 4 == 0) { // a stretch at the program's defaults, fully wet, that sounds
                for (const ProgramParameterDescription& row : *program)
                    h.set(row.parameter.index, typed(row.parameter, row.parameter.defaultValue));
                h.set(ParameterIndex::Gain, 1.0f);
                h.set(ParameterIndex::DryWet, 1.0f);
                blocksToSwitch = 1000;
                soundCheckFrom = pos;
            }
        }
        if (soundCheckFrom == kNone && rng() % 2 == 0) {
            const size_t row = rng() % (program->parameterCount + 2); // the last two: global
            const ParameterDescription& p =
                row < program->parameterCount
                    ? program->parameters[row].parameter
                    : ProgramTable::parameter(unsigned(row - program->parameterCount));
            h.set(p.index, randomValue(p, rng));
        }
        const unsigned int n = unsigned(std::min<size_t>(1 + rng() % 4096, frames - pos));
        float* inPtr[2] = {in[0].data() + pos, in[1].data() + pos};
        float* outPtr[2] = {out[0].data() + pos, channels == 2 ? out[1].data() + pos : nullptr};
        h.engine.Process(inPtr, outPtr, n);
        pos += n;
        if (soundCheckFrom != kNone && pos - soundCheckFrom >= size_t(kRate)) {
            float loudest = 0.0f; // over the stretch's last quarter second
            for (size_t i = pos - size_t(kRate / 4); i < pos; ++i)
                loudest = std::max(loudest, std::fabs(out[0][i]));
            EXPECT_GT(loudest, 1e-3f) << "program " << program->presetNumber << " fell silent";
            blocksToSwitch = 0;
            soundCheckFrom = kNone;
        }
    }
    out[0].insert(out[0].end(), out[1].begin(), out[1].end());
    return out[0];
}

} // namespace

TEST(AutomationSoak, EveryProgramStaysFiniteSoundsAndRepeatsBitForBit) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const uint32_t seed = 20240 + uint32_t(channels);
        const std::vector<float> first = soak(channels, seed, size_t(kRate) * 20);
        EXPECT_TRUE(
            std::all_of(first.begin(), first.end(), [](float s) { return std::isfinite(s); }));
        const std::vector<float> again = soak(channels, seed, size_t(kRate) * 20);
        ASSERT_EQ(again.size(), first.size());
        EXPECT_EQ(std::memcmp(again.data(), first.data(), first.size() * sizeof(float)), 0);
    }
}
