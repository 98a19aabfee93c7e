#pragma once

#include "Quorvel/Quorvel.hpp"
#include "hosts/lv2/Lv2PortTable.hpp"

#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <atomic>
#include <cstdint>
#include <vector>

// One instance of the LV2 plug-in: the component (Quorvel::Quorvel) with its ports.
//
// Ports are the document: `run` writes every control input whose value changed since it last
// looked into the document, named as the LV2 side, clamped into the parameter's range (a
// non-finite value is ignored). A change of the "Program" port switches the program, which
// builds a harmonic program's chain and so allocates: with the host's worker it is done in
// `work` on the worker's thread, the old program playing on until it is done; a host without a
// worker (offline renderers) gets the switch inside `run`.
//
// Threads, as LV2 defines them: `run` on the audio thread; `work` on the worker thread; `save`
// at any time; the rest in the instantiation class. Two flags stand for locks, and `run` only
// ever tries them, so it never waits: whoever reads or writes the document holds the document
// flag (`run` leaves its port changes for the next run when it is taken); whoever switches the
// program (`work`, `restore`, or `run` itself without a worker) also holds the engine flag, which
// `run` holds for each block it processes and without which it renders silence. With the
// worker, `run` neither allocates, frees nor locks.
class Lv2Plugin {
public:
    // Null when the engine does not run at `sampleRate` or with `channels` (1 or 2).
    static Lv2Plugin* create(unsigned int channels, double sampleRate,
                             const LV2_Feature* const* features);
    ~Lv2Plugin();

    void connect(std::uint32_t port, void* data);
    void activate();
    void run(std::uint32_t frames);

    LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle,
                           std::uint32_t size, const void* data);
    LV2_Worker_Status workResponse(std::uint32_t size, const void* data);

    // The program text under Lv2PortTable::kStateKey, as an atom string.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle,
                          const LV2_Feature* const* features);
    // A missing key changes nothing and succeeds; a text the document refuses changes nothing
    // and fails.
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                             const LV2_Feature* const* features);

private:
    // The LV2 side as a writer of the document.
    class PortSource : public orvane::Interface {
    public:
        static constexpr unsigned int kId = 3;
        explicit PortSource(orvane::Document* document) : Interface(kId, document) {}
        void parameterChanged(unsigned int, orvane::Parameter&) override {}
        void presetChanged() override {}
        void suspend(bool) override {}
    };
    // A held flag: the clip output stays on this long after the last clipped block.
    static constexpr double kClipHoldSeconds = 0.3;

    Lv2Plugin(unsigned int channels, double sampleRate, const LV2_Feature* const* features);
    static bool tryTake(std::atomic<bool>& flag);
    static void take(std::atomic<bool>& flag);
    static void release(std::atomic<bool>& flag);
    void applyDocumentPorts();
    void applyProgramPort();
    void updateClip(std::uint32_t frames);
    void rememberDocumentValues();
    void writeOutput(unsigned int port, float value);
    bool mapUrids(const LV2_Feature* const* features);

    Quorvel::Quorvel mComponent;
    PortSource mSource;
    unsigned int mChannels;
    double mSampleRate;
    std::vector<Lv2PortTable::Port> mPortTable;
    std::vector<float*> mPorts;
    std::vector<float> mLastSeen; // the value each control input had when last applied
    LV2_Worker_Schedule* mSchedule = nullptr;
    LV2_URID_Map* mMap = nullptr;
    LV2_URID mStateKey = 0;
    LV2_URID mAtomString = 0;
    std::atomic<bool> mDocumentBusy{false};
    std::atomic<bool> mEngineBusy{false};
    bool mProgramPending = false; // a switch handed to the worker and not yet answered
    std::uint64_t mClipHoldSamples = 0;
};
