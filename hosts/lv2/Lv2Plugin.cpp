#include "hosts/lv2/Lv2Plugin.hpp"

#include "Quorvel/QuorvelAudio.hpp"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace {

using Lv2PortTable::documentValue;
using Lv2PortTable::PortRole;
using Lv2PortTable::portValue;

void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (; features && *features; ++features)
        if ((*features)->URI && std::strcmp((*features)->URI, uri) == 0)
            return (*features)->data;
    return nullptr;
}

} // namespace

Lv2Plugin* Lv2Plugin::create(unsigned int channels, double sampleRate,
                             const LV2_Feature* const* features) {
    try {
        auto* plugin = new Lv2Plugin(channels, sampleRate, features);
        using Result = Quorvel::Quorvel::Result;
        const Quorvel::Quorvel::StreamFormat format{sampleRate, channels};
        auto& component = plugin->mComponent;
        if (component.ChangeStreamFormat(Quorvel::Quorvel::Scope::Input, format) ==
                Result::NoError &&
            component.ChangeStreamFormat(Quorvel::Quorvel::Scope::Output, format) ==
                Result::NoError &&
            component.Initialize() == Result::NoError)
            return plugin;
        delete plugin;
    } catch (...) {
        // Nothing crosses the C boundary: the host sees a refused instantiation.
    }
    return nullptr;
}

Lv2Plugin::Lv2Plugin(unsigned int channels, double sampleRate, const LV2_Feature* const* features)
    : mSource(&mComponent.getQuorvelDocument()), mChannels(channels), mSampleRate(sampleRate),
      mPortTable(Lv2PortTable::ports(channels)), mPorts(mPortTable.size(), nullptr),
      mLastSeen(mPortTable.size(), 0.0f) {
    mSchedule = static_cast<LV2_Worker_Schedule*>(findFeature(features, LV2_WORKER__schedule));
    mapUrids(features);
    rememberDocumentValues();
}

Lv2Plugin::~Lv2Plugin() = default;

bool Lv2Plugin::mapUrids(const LV2_Feature* const* features) {
    if (!mMap)
        mMap = static_cast<LV2_URID_Map*>(findFeature(features, LV2_URID__map));
    if (mMap && mStateKey == 0) {
        mStateKey = mMap->map(mMap->handle, Lv2PortTable::kStateKey);
        mAtomString = mMap->map(mMap->handle, LV2_ATOM__String);
    }
    return mMap != nullptr;
}

void Lv2Plugin::connect(std::uint32_t port, void* data) {
    if (port < mPorts.size())
        mPorts[port] = static_cast<float*>(data);
}

void Lv2Plugin::activate() {
    mComponent.Reset();
}

// ---- the flags ----

bool Lv2Plugin::tryTake(std::atomic<bool>& flag) {
    bool expected = false;
    return flag.compare_exchange_strong(expected, true, std::memory_order_acquire);
}

void Lv2Plugin::take(std::atomic<bool>& flag) {
    while (!tryTake(flag))
        std::this_thread::yield();
}

void Lv2Plugin::release(std::atomic<bool>& flag) {
    flag.store(false, std::memory_order_release);
}

// ---- audio thread ----

void Lv2Plugin::run(std::uint32_t frames) {
    const unsigned int c = mChannels;
    float* inputs[2] = {mPorts[0], c == 2 ? mPorts[1] : nullptr};
    float* outputs[2] = {mPorts[c], c == 2 ? mPorts[c + 1] : nullptr};
    QuorvelAudio& engine = mComponent.getEngine();
    // While a program switch is under way the worker owns the document: port changes wait. No
    // flag is held while the switch is scheduled, since a host may run the work at once on this
    // thread.
    if (!mProgramPending && tryTake(mDocumentBusy)) {
        applyDocumentPorts();
        release(mDocumentBusy);
        applyProgramPort();
    }
    // Holding the engine flag for the whole block keeps every program switch away from it, so
    // the engine runs without its lock; a block that arrives during a switch is silenced (and
    // the next one fades in) instead of waiting for it.
    if (tryTake(mEngineBusy)) {
        if (frames > 0)
            engine.ProcessUnlocked(inputs, outputs, frames);
        release(mEngineBusy);
    } else if (frames > 0) {
        engine.SkipBlock(outputs, frames);
    }
    updateClip(frames);
    writeOutput(Lv2PortTable::latencyPort(c), float(mComponent.GetLatencySamples()));
}

void Lv2Plugin::applyDocumentPorts() {
    QuorvelDocument& document = mComponent.getQuorvelDocument();
    for (unsigned int i = Lv2PortTable::gainPort(mChannels); i < mPorts.size(); ++i) {
        const Lv2PortTable::Port& port = mPortTable[i];
        if (port.role != PortRole::Document || !mPorts[i])
            continue;
        const float value = *mPorts[i];
        if (value == mLastSeen[i] || !std::isfinite(value))
            continue;
        mLastSeen[i] = value;
        document.updateParameter(port.parameter->index, documentValue(*port.parameter, value),
                                 &mSource);
    }
}

void Lv2Plugin::applyProgramPort() {
    const unsigned int index = Lv2PortTable::programPort(mChannels);
    if (!mPorts[index])
        return;
    const float value = *mPorts[index];
    if (value == mLastSeen[index] || !std::isfinite(value))
        return;
    const float last = float(ProgramTable::kProgramCount - 1);
    const auto program = std::uint32_t(std::lround(std::clamp(value, 0.0f, last)));
    if (program == mComponent.getQuorvelDocument().getCurrentPresetNumber()) {
        mLastSeen[index] = value;
        return;
    }
    if (mSchedule) {
        mProgramPending = true;
        if (mSchedule->schedule_work(mSchedule->handle, sizeof program, &program) ==
            LV2_WORKER_SUCCESS) {
            mLastSeen[index] = value;
            return;
        }
        mProgramPending = false;
        return; // the worker is full: asked again on the next run
    }
    // No worker: the switch happens here, once both flags are free, and a harmonic program's
    // chain is built on the audio thread.
    if (!tryTake(mDocumentBusy))
        return;
    if (tryTake(mEngineBusy)) {
        mComponent.NewFactoryPresetSet(program);
        release(mEngineBusy);
        mLastSeen[index] = value;
    }
    release(mDocumentBusy);
}

void Lv2Plugin::updateClip(std::uint32_t frames) {
    if (mClipHoldSamples > 0)
        mClipHoldSamples -= std::min<std::uint64_t>(mClipHoldSamples, frames);
    // The engine raises "LevelClip" in the document after a clipped block; it is lowered here
    // so that the next clipped block raises it again.
    QuorvelDocument& document = mComponent.getQuorvelDocument();
    if (document.getParameter(ParameterIndex::LevelClip)->getValue().GetBool() &&
        tryTake(mDocumentBusy)) {
        document.updateParameter(ParameterIndex::LevelClip, orvane::AnyValue(false), &mSource);
        release(mDocumentBusy);
        mClipHoldSamples = std::uint64_t(kClipHoldSeconds * mSampleRate);
    }
    writeOutput(Lv2PortTable::clipPort(mChannels), mClipHoldSamples > 0 ? 1.0f : 0.0f);
}

void Lv2Plugin::writeOutput(unsigned int port, float value) {
    if (mPorts[port])
        *mPorts[port] = value;
}

// ---- worker ----

LV2_Worker_Status Lv2Plugin::work(LV2_Worker_Respond_Function respond,
                                  LV2_Worker_Respond_Handle handle, std::uint32_t size,
                                  const void* data) {
    std::uint32_t program = 0;
    if (size != sizeof program)
        return LV2_WORKER_ERR_UNKNOWN;
    std::memcpy(&program, data, sizeof program);
    take(mDocumentBusy);
    take(mEngineBusy);
    mComponent.NewFactoryPresetSet(program);
    release(mEngineBusy);
    release(mDocumentBusy);
    return respond(handle, sizeof program, &program);
}

LV2_Worker_Status Lv2Plugin::workResponse(std::uint32_t, const void*) {
    mProgramPending = false;
    return LV2_WORKER_SUCCESS;
}

// ---- state ----

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                 const LV2_Feature* const* features) {
    if (!mapUrids(features))
        return LV2_STATE_ERR_NO_FEATURE;
    take(mDocumentBusy);
    std::string text;
    try {
        text = mComponent.SaveState();
    } catch (...) {
        release(mDocumentBusy);
        return LV2_STATE_ERR_UNKNOWN;
    }
    release(mDocumentBusy);
    return store(handle, mStateKey, text.c_str(), text.size() + 1, mAtomString,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                    const LV2_Feature* const* features) {
    if (!mapUrids(features))
        return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const void* value = retrieve(handle, mStateKey, &size, &type, &flags);
    if (!value)
        return LV2_STATE_SUCCESS; // hosts restore a default state that has no text
    if (type != mAtomString)
        return LV2_STATE_ERR_BAD_TYPE;
    const char* text = static_cast<const char*>(value);
    const std::size_t length = strnlen(text, size);
    take(mDocumentBusy);
    take(mEngineBusy);
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    try {
        if (length > 0 &&
            mComponent.RestoreState(text, length) == Quorvel::Quorvel::Result::NoError) {
            rememberDocumentValues();
            status = LV2_STATE_SUCCESS;
        }
    } catch (...) {
    }
    release(mEngineBusy);
    release(mDocumentBusy);
    return status;
}

void Lv2Plugin::rememberDocumentValues() {
    // The ports are compared with what the document now holds, so that a host which restores
    // the ports along with the text changes nothing on the next run.
    const QuorvelDocument& document = mComponent.getQuorvelDocument();
    for (const Lv2PortTable::Port& port : mPortTable) {
        if (port.role == PortRole::Document)
            mLastSeen[port.index] =
                portValue(document.getParameter(port.parameter->index)->getValue());
        else if (port.role == PortRole::Program)
            mLastSeen[port.index] = float(document.getCurrentPresetNumber());
    }
}
