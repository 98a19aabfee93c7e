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
        for (unsigned int preset = 0; preset < ProgramTable::kShortTimeProgramCount; ++preset) {
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
