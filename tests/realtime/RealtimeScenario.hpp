#pragma once
// The render-thread work of a host session, for the real-time checks: every program
// in turn, rendered in blocks while its parameters move. `inRealtime` brackets each stretch of
// work that must not allocate, free, lock or block.

#include "../Quorvel/EngineHarness.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <functional>
#include <numeric>
#include <vector>

namespace RealtimeTest {

// Host-side steps (program switches) run outside the bracket; rendering and parameter changes,
// which an LV2 host makes on its render thread, run inside it. `render` processes one block.
inline void
runScenario(const std::function<void(const std::function<void()>&)>& inRealtime,
            const std::function<void(QuorvelAudio&, float**, float**, unsigned int)>& render) {
    EngineTest::Harness h(2, 1024);
    const auto signal = EngineTest::testSignal(2, 8192);
    std::vector<float> in0(signal[0]), in1(signal[1]), out0(8192), out1(8192);
    float* inputs[2] = {in0.data(), in1.data()};
    float* outputs[2] = {out0.data(), out1.data()};

    // Every program in turn, then back across the families both ways.
    std::vector<unsigned int> order(ProgramTable::kProgramCount);
    std::iota(order.begin(), order.end(), 0u);
    order.push_back(0);
    order.push_back(ProgramTable::kShortTimeProgramCount);
    for (unsigned int preset : order) {
        h.document.activateProgram(preset);
        const ProgramDescription& program = ProgramTable::program(preset);
        inRealtime([&] {
            unsigned int step = 0;
            for (unsigned int block : {1u, 64u, 1000u, 1024u, 3000u}) {
                render(h.engine, inputs, outputs, block);
                // Move every parameter of the program, and gain and dry/wet, between blocks.
                for (const ProgramParameterDescription& row : program) {
                    const ParameterDescription& p = row.parameter;
                    const float x = float((step++ % 5)) / 4.0f;
                    const float v = p.minValue + (p.maxValue - p.minValue) * x;
                    if (p.type == orvane::AnyValue::Bool)
                        h.set(p.index, orvane::AnyValue(x > 0.5f));
                    else if (p.type == orvane::AnyValue::Int)
                        h.set(p.index, orvane::AnyValue(int(v)));
                    else
                        h.set(p.index, orvane::AnyValue(v));
                }
                h.set(0, 0.5f + 0.1f * float(step % 3));
                h.set(1, 0.25f * float(step % 4));
            }
        });
    }
}

} // namespace RealtimeTest
