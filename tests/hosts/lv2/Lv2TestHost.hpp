#pragma once
// A small LV2 host on lilv for the bundle in the build tree: urid:map and a worker that runs
// jobs at once (as offline hosts do), with every port connected to host-owned buffers.

#include <lilv/lilv.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Lv2Test {

// One world for the whole test binary, loaded from the bundle's build directory.
struct World {
    World() {
        setenv("LV2_PATH", QUORVEL_LV2_DIR, 1);
        world = lilv_world_new();
        lilv_world_load_all(world);
    }
    ~World() { lilv_world_free(world); }
    const LilvPlugin* plugin(const char* uri) const {
        LilvNode* node = lilv_new_uri(world, uri);
        const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), node);
        lilv_node_free(node);
        return p;
    }
    LV2_URID map(const char* uri) {
        std::lock_guard<std::mutex> lock(mutex);
        auto [it, added] = urids.emplace(uri, LV2_URID(urids.size() + 1));
        return it->second;
    }
    static World& get() {
        static World instance;
        return instance;
    }
    LilvWorld* world;
    std::mutex mutex;
    std::map<std::string, LV2_URID> urids;
};

class Instance {
public:
    Instance(const char* uri, bool withWorker = true, double rate = 44100)
        : mPlugin(World::get().plugin(uri)) {
        mMap = {&World::get(), [](LV2_URID_Map_Handle h, const char* u) {
                    return static_cast<World*>(h)->map(u);
                }};
        mSchedule = {this, &Instance::schedule};
        mFeatureList = {{LV2_URID__map, &mMap}};
        if (withWorker)
            mFeatureList.push_back({LV2_WORKER__schedule, &mSchedule});
        for (LV2_Feature& f : mFeatureList)
            mFeatures.push_back(&f);
        mFeatures.push_back(nullptr);
        const uint32_t ports = lilv_plugin_get_num_ports(mPlugin);
        mControls.assign(ports, 0.0f);
        lilv_plugin_get_port_ranges_float(mPlugin, nullptr, nullptr, mControls.data());
        mInstance = lilv_plugin_instantiate(mPlugin, rate, mFeatures.data());
        if (!mInstance)
            return;
        mChannels =
            lilv_plugin_get_num_ports_of_class(mPlugin, audioClass(), inputClass(), nullptr);
        for (uint32_t i = 0; i < ports; ++i)
            lilv_instance_connect_port(mInstance, i, &mControls[i]);
        mWorker = static_cast<const LV2_Worker_Interface*>(
            lilv_instance_get_extension_data(mInstance, LV2_WORKER__interface));
        mState = static_cast<const LV2_State_Interface*>(
            lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
        lilv_instance_activate(mInstance);
    }
    ~Instance() {
        if (mInstance) {
            lilv_instance_deactivate(mInstance);
            lilv_instance_free(mInstance);
        }
    }
    bool ok() const { return mInstance != nullptr; }
    unsigned int channels() const { return mChannels; }

    float& control(const char* symbol) { return mControls[portIndex(symbol)]; }
    uint32_t portIndex(const char* symbol) const {
        LilvNode* node = lilv_new_string(World::get().world, symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(mPlugin, node);
        lilv_node_free(node);
        return lilv_port_get_index(mPlugin, port);
    }

    // Runs one block: in[c] and out[c] may be the same buffer.
    void run(const std::vector<float*>& in, const std::vector<float*>& out, uint32_t frames) {
        for (unsigned int c = 0; c < mChannels; ++c) {
            lilv_instance_connect_port(mInstance, c, in[c]);
            lilv_instance_connect_port(mInstance, mChannels + c, out[c]);
        }
        lilv_instance_run(mInstance, frames);
        for (const auto& response : mResponses)
            mWorker->work_response(handle(), uint32_t(response.size()), response.data());
        mResponses.clear();
    }
    // Renders planar `input` in blocks of `block`, in place when asked.
    std::vector<std::vector<float>> render(std::vector<std::vector<float>> input, uint32_t block,
                                           bool inPlace = false) {
        std::vector<std::vector<float>> output(input.size(), std::vector<float>(input[0].size()));
        for (size_t pos = 0; pos < input[0].size(); pos += block) {
            const auto n = uint32_t(std::min<size_t>(block, input[0].size() - pos));
            std::vector<float*> in, out;
            for (size_t c = 0; c < input.size(); ++c) {
                in.push_back(input[c].data() + pos);
                out.push_back(inPlace ? in.back() : output[c].data() + pos);
            }
            run(in, out, n);
        }
        return inPlace ? input : output;
    }

    // The state text the plug-in saves, or "" when it stores nothing.
    std::string save() {
        std::string text;
        mState->save(
            handle(),
            [](LV2_State_Handle h, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
                static_cast<std::string*>(h)->assign(static_cast<const char*>(value), size);
                return LV2_STATE_SUCCESS;
            },
            &text, 0, mFeatures.data());
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        return text;
    }
    // Restores `text` (nullptr: a state without the key).
    LV2_State_Status restore(const char* text) {
        mRestoreText = text;
        mRestoreType = World::get().map("http://lv2plug.in/ns/ext/atom#String");
        return mState->restore(
            handle(),
            [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type,
               uint32_t* flags) -> const void* {
                auto* self = static_cast<Instance*>(h);
                if (!self->mRestoreText)
                    return nullptr;
                *size = std::strlen(self->mRestoreText) + 1;
                *type = self->mRestoreType;
                *flags = LV2_STATE_IS_POD;
                return self->mRestoreText;
            },
            this, 0, mFeatures.data());
    }
    LilvInstance* lilv() const { return mInstance; }
    const LilvPlugin* plugin() const { return mPlugin; }
    const LV2_Feature* const* features() const { return mFeatures.data(); }

private:
    LV2_Handle handle() const { return lilv_instance_get_handle(mInstance); }
    static LilvNode* audioClass() {
        static LilvNode* n = lilv_new_uri(World::get().world, LILV_URI_AUDIO_PORT);
        return n;
    }
    static LilvNode* inputClass() {
        static LilvNode* n = lilv_new_uri(World::get().world, LILV_URI_INPUT_PORT);
        return n;
    }
    // The worker runs each job at once; its responses reach the plug-in after the run.
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle h, uint32_t size,
                                      const void* data) {
        auto* self = static_cast<Instance*>(h);
        return self->mWorker->work(
            self->handle(),
            [](LV2_Worker_Respond_Handle r, uint32_t n, const void* d) {
                auto* s = static_cast<Instance*>(r);
                const auto* bytes = static_cast<const char*>(d);
                s->mResponses.emplace_back(bytes, bytes + n);
                return LV2_WORKER_SUCCESS;
            },
            self, size, data);
    }

    const LilvPlugin* mPlugin;
    LilvInstance* mInstance = nullptr;
    unsigned int mChannels = 0;
    LV2_URID_Map mMap{};
    LV2_Worker_Schedule mSchedule{};
    std::vector<LV2_Feature> mFeatureList;
    std::vector<const LV2_Feature*> mFeatures;
    std::vector<float> mControls;
    const LV2_Worker_Interface* mWorker = nullptr;
    const LV2_State_Interface* mState = nullptr;
    std::vector<std::vector<char>> mResponses;
    const char* mRestoreText = nullptr;
    LV2_URID mRestoreType = 0;
};

} // namespace Lv2Test
