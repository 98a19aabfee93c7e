#pragma once

// What the plug-in component tells its host. The host adapter (LV2 plug-in, test host)
// implements it and passes it to the component, which does not own it.
//
// Calls come on the thread that caused them: a host parameter set by the host, an editor
// change or a preset change on the host's main or user-interface thread. An implementation must
// not call back into the component from inside a notification.
class QuorvelHostCallbacks {
public:
    virtual ~QuorvelHostCallbacks() = default;
    // Host parameter `index` (0..13) now has the normalised `value`.
    virtual void parameterChanged(unsigned int index, float value) = 0;
    // The component's latency (Quorvel::Quorvel::GetLatency) may have changed.
    virtual void latencyChanged() = 0;
};
