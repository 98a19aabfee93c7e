// The engine under automation, the input read as a script. Byte 0 picks mono or stereo and the
// sample rate; then each step is an operation byte and its arguments: a block of any length
// (in place or not) filled with raw input floats, a constant, a sine of any amplitude or the
// special values (NaN, infinities, denormals, the largest float); a parameter value of the
// parameter's type with any payload, through the document or straight into the engine; a
// program change; Gain or Dry/Wet; suspend and resume; re-initialise; a new maximum block
// length. Every output sample must be finite.
//
// Creating an engine is slow, and so is re-initialising one (it reconfigures every effect:
// about a second under the sanitizers), so there is one engine per channel count and rate,
// made on first use. Before each input its document goes back to the defaults, which
// reactivates program 0 and clears the engine's rings, but an effect's inner state may carry
// over from earlier inputs: a finding that does not reproduce alone is rerun after the inputs
// that preceded it.

#include "FuzzScript.hpp"
#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelDocument.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned int kMaxBlock = 8192;
constexpr size_t kMaxFramesPerInput = 1 << 15;

using Script = FuzzScript;

struct Rig {
    Rig(int channels, unsigned int rate) : engine(&document), channels(channels) {
        engine.setChannelConfiguration(unsigned(channels), unsigned(channels));
        engine.setSamplingRate(rate);
        engine.setMaxBufferSize(1024);
        engine.Initialize();
    }
    void reset() {
        document.loadProgramText(defaults.data(), defaults.size());
        if (engine.isSuspended())
            engine.suspend(false);
        engine.setMaxBufferSize(1024);
    }
    QuorvelDocument document;
    QuorvelAudio engine;
    QuorvelDocument scratch; // values handed to the engine directly, the document bypassed
    const std::string defaults = document.getProgramText();
    int channels;
};

// A value of parameter `index`'s type with any payload.
orvane::AnyValue anyValue(unsigned int index, Script& s) {
    switch (ProgramTable::parameter(index).type) {
    case orvane::AnyValue::Float:
        return orvane::AnyValue(s.anyFloat());
    case orvane::AnyValue::Bool:
        return orvane::AnyValue(orvane::AnyValue::Bool, s.byte() % 3);
    default:
        return orvane::AnyValue(orvane::AnyValue::Int, s.word());
    }
}

void fill(std::vector<float>& v, unsigned int n, Script& s) {
    static const float kSpecial[] = {NAN, INFINITY, -INFINITY, 1e-40f, -FLT_MAX, FLT_MAX, 0.0f};
    const uint8_t kind = s.byte();
    const float a = s.anyFloat();
    for (unsigned int i = 0; i < n; ++i)
        switch (kind % 4) {
        case 0:
            v[i] = a;
            break;
        case 1:
            v[i] = s.more() ? s.anyFloat() : 0.0f;
            break;
        case 2:
            v[i] = a * std::sin(0.05f * float(i));
            break;
        default:
            v[i] = (i & 1) ? kSpecial[(kind / 4 + i) % 7] : 0.3f * std::sin(0.01f * float(i));
        }
}

void block(Rig& rig, Script& s, size_t& frames) {
    static std::vector<float> in[2] = {std::vector<float>(kMaxBlock),
                                       std::vector<float>(kMaxBlock)};
    static std::vector<float> out[2] = {std::vector<float>(kMaxBlock),
                                        std::vector<float>(kMaxBlock)};
    const unsigned int n = (s.byte() | unsigned(s.byte()) << 8) % (kMaxBlock + 1);
    const bool inPlace = s.byte() & 1;
    float* inputs[2] = {};
    float* outputs[2] = {};
    for (int c = 0; c < rig.channels; ++c) {
        fill(in[c], n, s);
        inputs[c] = in[c].data();
        outputs[c] = inPlace ? in[c].data() : out[c].data();
    }
    rig.engine.Process(inputs, outputs, n);
    frames += n;
    for (int c = 0; c < rig.channels; ++c)
        for (unsigned int i = 0; i < n; ++i)
            if (!std::isfinite(outputs[c][i])) {
                std::fprintf(stderr, "fuzz_engine: sample %u of channel %d is %g (program %u)\n", i,
                             c, double(outputs[c][i]), rig.document.getCurrentPresetNumber());
                std::abort();
            }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<Rig> rigs[2][QuorvelAudio::kSampleRates.size()];
    Script s{data, size};
    const uint8_t setup = s.byte();
    const int channels = 1 + (setup & 1);
    const size_t rate = (setup >> 1) % QuorvelAudio::kSampleRates.size();
    std::unique_ptr<Rig>& slot = rigs[channels - 1][rate];
    if (!slot)
        slot = std::make_unique<Rig>(channels, QuorvelAudio::kSampleRates[rate]);
    else
        slot->reset();
    Rig& rig = *slot;
    size_t frames = 0;
    while (s.more() && frames < kMaxFramesPerInput) {
        const uint8_t op = s.byte();
        const unsigned int index = s.byte() % ProgramTable::kParameterCount;
        switch (op % 8) {
        case 0:
        case 1:
            block(rig, s, frames);
            break;
        case 2:
            rig.document.updateParameter(index, anyValue(index, s), nullptr);
            break;
        case 3:
            rig.scratch.setParameter(index, anyValue(index, s));
            rig.engine.setParameter(index, *rig.scratch.getParameter(index));
            break;
        case 4:
            rig.document.activateProgram(index % ProgramTable::kProgramCount);
            break;
        case 5:
            rig.document.updateParameter(index & 1, orvane::AnyValue(s.anyFloat()), nullptr);
            break;
        case 6:
            if (index & 1)
                rig.engine.suspend(!rig.engine.isSuspended());
            else
                rig.engine.Initialize();
            break;
        default:
            rig.engine.setMaxBufferSize((s.byte() | unsigned(s.byte()) << 8) % (kMaxBlock + 1));
            break;
        }
    }
    return 0;
}
