// One thread renders while another changes parameters and programs through the document, as
// a host's user-interface thread does. Built with ThreadSanitizer, which reports any data race
// between the two.

#include "../Quorvel/EngineHarness.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

TEST(Threads, ParameterChangesDuringRenderingAreRaceFree) {
    EngineTest::Harness h(2, 512);
    std::atomic<bool> done{false};
    bool finite = true;
    std::thread renderer([&] {
        const auto signal = EngineTest::testSignal(2, 512);
        std::vector<float> in0(signal[0]), in1(signal[1]), out0(512), out1(512);
        float* inputs[2] = {in0.data(), in1.data()};
        float* outputs[2] = {out0.data(), out1.data()};
        while (!done.load()) {
            h.engine.Process(inputs, outputs, 512);
            for (float s : out0)
                finite = finite && std::isfinite(s);
        }
    });
    for (int round = 0; round < 4; ++round)
        for (unsigned int preset = 0; preset < ProgramTable::kProgramCount; ++preset) {
            h.document.activateProgram(preset);
            for (int step = 0; step < 20; ++step)
                for (const ProgramParameterDescription& row : ProgramTable::program(preset)) {
                    const ParameterDescription& p = row.parameter;
                    const float v = p.minValue + (p.maxValue - p.minValue) * float(step) / 19.0f;
                    if (p.type == orvane::AnyValue::Float)
                        h.set(p.index, orvane::AnyValue(v));
                    else if (p.type == orvane::AnyValue::Int)
                        h.set(p.index, orvane::AnyValue(int(v)));
                }
            h.set(0, 0.8f);
            h.set(1, 0.5f);
        }
    done = true;
    renderer.join();
    EXPECT_TRUE(finite);
}

// Each engine keeps its own sample rate and hop: two engines at different rates, rendering at
// once on two threads, each give exactly what they give alone. The delay program converts its
// times with the rate, so a rate leaking from one engine into the other changes its echoes.
TEST(Threads, EnginesAtDifferentRatesRenderAsTheyDoAlone) {
    const unsigned int delayPreset =
        ProgramTable::findProgram("Delay Spectral Bands")->presetNumber;
    const auto signal = EngineTest::testSignal(2, 48000);
    auto renderAlone = [&](int rate) {
        EngineTest::Harness h(2, 512, rate);
        h.document.activateProgram(delayPreset);
        return h.render(signal, 512);
    };
    const auto alone44 = renderAlone(44100);
    const auto alone48 = renderAlone(48000);

    EngineTest::Harness h44(2, 512, 44100), h48(2, 512, 48000);
    h44.document.activateProgram(delayPreset);
    h48.document.activateProgram(delayPreset);
    std::vector<std::vector<float>> together44, together48;
    std::thread other([&] { together48 = h48.render(signal, 512); });
    together44 = h44.render(signal, 512);
    other.join();
    EXPECT_EQ(together44, alone44);
    EXPECT_EQ(together48, alone48);
    EXPECT_NE(alone44, alone48);
}
