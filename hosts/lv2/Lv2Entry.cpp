// The bundle's C entry points: two plug-ins (mono and stereo) on Lv2Plugin. Only
// `lv2_descriptor` leaves the binary; nothing thrown crosses into the host.

#include "hosts/lv2/Lv2Plugin.hpp"

#include <lv2/core/lv2.h>

#include <cstring>

namespace {

Lv2Plugin* self(LV2_Handle handle) {
    return static_cast<Lv2Plugin*>(handle);
}

template <unsigned int Channels>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    return Lv2Plugin::create(Channels, rate, features);
}

void connectPort(LV2_Handle h, uint32_t port, void* data) {
    self(h)->connect(port, data);
}
void activate(LV2_Handle h) {
    self(h)->activate();
}
void run(LV2_Handle h, uint32_t frames) {
    self(h)->run(frames);
}
void deactivate(LV2_Handle) {}
void cleanup(LV2_Handle h) {
    delete self(h);
}

LV2_Worker_Status work(LV2_Handle h, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
    return self(h)->work(respond, handle, size, data);
}
LV2_Worker_Status workResponse(LV2_Handle h, uint32_t size, const void* data) {
    return self(h)->workResponse(size, data);
}
LV2_State_Status save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t, const LV2_Feature* const* features) {
    return self(h)->save(store, handle, features);
}
LV2_State_Status restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t, const LV2_Feature* const* features) {
    return self(h)->restore(retrieve, handle, features);
}

const LV2_Worker_Interface kWorker = {work, workResponse, nullptr};
const LV2_State_Interface kState = {save, restore};

const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_WORKER__interface) == 0)
        return &kWorker;
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &kState;
    return nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {Lv2PortTable::kMonoUri, instantiate<1>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
    {Lv2PortTable::kStereoUri, instantiate<2>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index < 2 ? &kDescriptors[index] : nullptr;
}
