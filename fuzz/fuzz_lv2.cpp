// The LV2 plug-in as a host drives it, the input read as a script. Byte 0 picks mono or
// stereo, the sample rate and whether the host offers a worker; then each step is an operation
// byte and its arguments: a control input port set to any float (NaN, infinities, out of
// range), a run of any length (in place or not, audio of any value), a state restore of any
// text, a save followed by the restore of what was saved, or a re-activation. Every audio
// output sample must be finite, the latency output must be one of the engine's two latencies,
// the clip output 0 or 1, and a saved state must always restore.
//
// An instance costs an engine, slow to create and large under the sanitizers, so the last four
// configurations used keep theirs; before each input its ports go back to their defaults and
// the default program text is restored.

#include "FuzzScript.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "hosts/lv2/Lv2PortTable.hpp"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {

constexpr uint32_t kMaxBlock = 4096;
constexpr size_t kMaxFramesPerInput = 1 << 15;

using Script = FuzzScript;

void fail(const char* what, double value) {
    std::fprintf(stderr, "fuzz_lv2: %s (%g)\n", what, value);
    std::abort();
}

class Host {
public:
    Host(unsigned int channels, double rate, bool worker)
        : mDescriptor(lv2_descriptor(channels - 1)), mChannels(channels),
          mPorts(Lv2PortTable::ports(channels)) {
        mMap = {this, [](LV2_URID_Map_Handle h, const char* uri) {
                    auto& urids = static_cast<Host*>(h)->mUrids;
                    return urids.emplace(uri, LV2_URID(urids.size() + 1)).first->second;
                }};
        mSchedule = {this, &Host::schedule};
        mFeatureList.push_back({LV2_URID__map, &mMap});
        if (worker)
            mFeatureList.push_back({LV2_WORKER__schedule, &mSchedule});
        for (LV2_Feature& f : mFeatureList)
            mFeatures.push_back(&f);
        mFeatures.push_back(nullptr);
        mHandle = mDescriptor->instantiate(mDescriptor, rate, "", mFeatures.data());
        if (!mHandle)
            fail("the plug-in refused a supported configuration", rate);
        mWorker = static_cast<const LV2_Worker_Interface*>(
            mDescriptor->extension_data(LV2_WORKER__interface));
        mState = static_cast<const LV2_State_Interface*>(
            mDescriptor->extension_data(LV2_STATE__interface));
        mControls.resize(mPorts.size());
        for (const auto& port : mPorts)
            if (port.kind != Lv2PortTable::PortKind::AudioIn &&
                port.kind != Lv2PortTable::PortKind::AudioOut)
                mDescriptor->connect_port(mHandle, port.index, &mControls[port.index]);
        resetPorts();
        mDescriptor->activate(mHandle);
        run(0, true, 0, 0.0f);
        mDefaults = save();
    }
    ~Host() { mDescriptor->cleanup(mHandle); }

    void resetPorts() {
        for (const auto& port : mPorts)
            mControls[port.index] = port.defaultValue;
    }
    void reset() {
        resetPorts();
        if (restore(mDefaults) != LV2_STATE_SUCCESS)
            fail("the default state does not restore", 0);
    }
    void setPort(uint32_t index, float value) {
        const auto& port = mPorts[index % mPorts.size()];
        if (port.kind == Lv2PortTable::PortKind::ControlIn)
            mControls[port.index] = value;
    }
    void activate() { mDescriptor->activate(mHandle); }

    void run(uint32_t frames, bool inPlace, uint8_t kind, float amplitude) {
        for (unsigned int c = 0; c < mChannels; ++c) {
            for (uint32_t i = 0; i < frames; ++i)
                switch (kind % 3) {
                case 0:
                    mIn[c][i] = amplitude;
                    break;
                case 1:
                    mIn[c][i] = amplitude * std::sin(0.03f * float(i + c));
                    break;
                default:
                    mIn[c][i] = (i % 97 == 0) ? amplitude : 0.2f * std::sin(0.01f * float(i));
                }
            mDescriptor->connect_port(mHandle, c, mIn[c].data());
            mDescriptor->connect_port(mHandle, mChannels + c,
                                      inPlace ? mIn[c].data() : mOut[c].data());
        }
        mDescriptor->run(mHandle, frames);
        for (const auto& response : mResponses)
            mWorker->work_response(mHandle, uint32_t(response.size()), response.data());
        mResponses.clear();
        for (unsigned int c = 0; c < mChannels; ++c) {
            const float* out = inPlace ? mIn[c].data() : mOut[c].data();
            for (uint32_t i = 0; i < frames; ++i)
                if (!std::isfinite(out[i]))
                    fail("an output sample is not finite", double(out[i]));
        }
        const float latency = mControls[Lv2PortTable::latencyPort(mChannels)];
        if (latency != 768.0f && latency != 2048.0f)
            fail("the latency output is neither engine latency", double(latency));
        const float clip = mControls[Lv2PortTable::clipPort(mChannels)];
        if (clip != 0.0f && clip != 1.0f)
            fail("the clip output is not a toggle", double(clip));
    }

    std::string save() {
        std::string text;
        mState->save(
            mHandle,
            [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
                static_cast<std::string*>(h)->assign(static_cast<const char*>(value), size);
                return LV2_STATE_SUCCESS;
            },
            &text, 0, mFeatures.data());
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        return text;
    }
    LV2_State_Status restore(const std::string& text) {
        mRestoreText = &text;
        return mState->restore(
            mHandle,
            [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type,
               uint32_t* flags) -> const void* {
                auto* self = static_cast<Host*>(h);
                *size = self->mRestoreText->size() + 1;
                *type = self->mMap.map(self, LV2_ATOM__String);
                *flags = LV2_STATE_IS_POD;
                return self->mRestoreText->c_str();
            },
            this, 0, mFeatures.data());
    }

private:
    // The worker runs each job at once; its responses reach the plug-in after the run.
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle h, uint32_t size,
                                      const void* data) {
        auto* self = static_cast<Host*>(h);
        return self->mWorker->work(
            self->mHandle,
            [](LV2_Worker_Respond_Handle r, uint32_t n, const void* d) {
                const auto* bytes = static_cast<const char*>(d);
                static_cast<Host*>(r)->mResponses.emplace_back(bytes, bytes + n);
                return LV2_WORKER_SUCCESS;
            },
            self, size, data);
    }

    const LV2_Descriptor* mDescriptor;
    unsigned int mChannels;
    std::vector<Lv2PortTable::Port> mPorts;
    std::map<std::string, LV2_URID> mUrids;
    LV2_URID_Map mMap{};
    LV2_Worker_Schedule mSchedule{};
    std::vector<LV2_Feature> mFeatureList;
    std::vector<const LV2_Feature*> mFeatures;
    LV2_Handle mHandle = nullptr;
    const LV2_Worker_Interface* mWorker = nullptr;
    const LV2_State_Interface* mState = nullptr;
    std::vector<float> mControls;
    std::vector<float> mIn[2] = {std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)};
    std::vector<float> mOut[2] = {std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock)};
    std::vector<std::vector<char>> mResponses;
    const std::string* mRestoreText = nullptr;
    std::string mDefaults;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::deque<std::pair<unsigned int, std::unique_ptr<Host>>> hosts; // most recent first
    Script s{data, size};
    const uint8_t setup = s.byte();
    const unsigned int channels = 1 + (setup & 1);
    const size_t rate = (setup >> 1) % QuorvelAudio::kSampleRates.size();
    const bool worker = setup & 8;
    const unsigned int key = setup & 15;
    auto found = std::find_if(hosts.begin(), hosts.end(), [&](auto& h) { return h.first == key; });
    if (found == hosts.end()) {
        if (hosts.size() == 4)
            hosts.pop_back();
        hosts.emplace_front(
            key, std::make_unique<Host>(channels, QuorvelAudio::kSampleRates[rate], worker));
    } else {
        std::rotate(hosts.begin(), found, found + 1);
        hosts.front().second->reset();
    }
    Host& host = *hosts.front().second;
    size_t frames = 0;
    while (s.more() && frames < kMaxFramesPerInput) {
        switch (s.byte() % 6) {
        case 0:
        case 1: {
            const uint32_t n = s.word() % (kMaxBlock + 1);
            const uint8_t flags = s.byte();
            host.run(n, flags & 1, flags >> 1, s.anyFloat());
            frames += n;
            break;
        }
        case 2:
        case 3: {
            const uint32_t port = s.byte() | uint32_t(s.byte()) << 8;
            host.setPort(port, s.anyFloat());
            break;
        }
        case 4:
            host.restore(s.text());
            break;
        default:
            if (s.byte() & 1) {
                host.activate();
            } else {
                const std::string saved = host.save();
                if (host.restore(saved) != LV2_STATE_SUCCESS)
                    fail("a saved state does not restore", double(saved.size()));
            }
        }
    }
    return 0;
}
