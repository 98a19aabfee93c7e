#pragma once
// The render-thread work of an LV2 host, for the real-time checks: the bundle's binary from the
// build tree, both plug-ins, every program chosen through the "Program" port, and every control
// port moving between runs. The host gives the plug-in a worker and nothing else; the worker's
// thread (`work`) runs outside `inRealtime`, while `run` and `work_response`, which a host calls
// on its audio thread, run inside it.

#include "hosts/lv2/Lv2PortTable.hpp"

#include <lv2/core/lv2.h>
#include <lv2/worker/worker.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

namespace RealtimeTest {

// The jobs the plug-in scheduled during a run, kept in fixed storage: scheduling happens on
// the audio thread, so the host side must not allocate either.
struct WorkerQueue {
    std::array<std::array<char, 64>, 8> jobs{};
    std::array<std::uint32_t, 8> sizes{};
    unsigned int count = 0;
    static LV2_Worker_Status schedule(LV2_Worker_Schedule_Handle h, std::uint32_t size,
                                      const void* data) {
        auto* q = static_cast<WorkerQueue*>(h);
        if (q->count == q->jobs.size() || size > q->jobs[0].size())
            return LV2_WORKER_ERR_NO_SPACE;
        std::memcpy(q->jobs[q->count].data(), data, size);
        q->sizes[q->count++] = size;
        return LV2_WORKER_SUCCESS;
    }
};

inline void runLv2Scenario(const std::function<void(const std::function<void()>&)>& inRealtime) {
    void* binary = dlopen(QUORVEL_LV2_DIR "/quorvel.lv2/quorvel.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(binary, nullptr) << dlerror();
    const auto entry =
        reinterpret_cast<const LV2_Descriptor* (*)(std::uint32_t)>(dlsym(binary, "lv2_descriptor"));
    ASSERT_NE(entry, nullptr);

    for (unsigned int channels : {1u, 2u}) {
        const LV2_Descriptor* d = entry(channels - 1);
        WorkerQueue queue;
        LV2_Worker_Schedule schedule{&queue, &WorkerQueue::schedule};
        const LV2_Feature worker{LV2_WORKER__schedule, &schedule};
        const LV2_Feature* features[] = {&worker, nullptr};
        LV2_Handle h = d->instantiate(d, 44100, "", features);
        ASSERT_NE(h, nullptr);
        const auto* work =
            static_cast<const LV2_Worker_Interface*>(d->extension_data(LV2_WORKER__interface));

        const std::vector<Lv2PortTable::Port> ports = Lv2PortTable::ports(channels);
        std::vector<float> controls(ports.size());
        for (const Lv2PortTable::Port& p : ports)
            controls[p.index] = p.defaultValue;
        std::vector<std::vector<float>> audio(2 * channels, std::vector<float>(3000));
        for (unsigned int c = 0; c < channels; ++c)
            for (size_t i = 0; i < audio[c].size(); ++i)
                audio[c][i] = 0.5f * float((i * (7 + c)) % 200) / 200.0f - 0.25f;
        for (const Lv2PortTable::Port& p : ports)
            d->connect_port(h, p.index,
                            p.role == Lv2PortTable::PortRole::Audio ? audio[p.index].data()
                                                                    : &controls[p.index]);
        d->activate(h);

        // Every program in turn, then back across the families both ways.
        std::vector<unsigned int> order;
        for (unsigned int n = 0; n < ProgramTable::kProgramCount; ++n)
            order.push_back(n);
        order.push_back(0);
        order.push_back(ProgramTable::kShortTimeProgramCount);
        unsigned int step = 0;
        for (unsigned int program : order) {
            controls[Lv2PortTable::programPort(channels)] = float(program);
            inRealtime([&] { d->run(h, 64); });
            // The host's worker thread runs the jobs; the answers reach the audio thread.
            std::vector<std::vector<char>> answers;
            for (unsigned int j = 0; j < queue.count; ++j)
                work->work(
                    h,
                    [](LV2_Worker_Respond_Handle r, std::uint32_t n, const void* data) {
                        const auto* bytes = static_cast<const char*>(data);
                        static_cast<std::vector<std::vector<char>>*>(r)->emplace_back(bytes,
                                                                                      bytes + n);
                        return LV2_WORKER_SUCCESS;
                    },
                    &answers, queue.sizes[j], queue.jobs[j].data());
            queue.count = 0;
            inRealtime([&] {
                for (const auto& a : answers)
                    work->work_response(h, std::uint32_t(a.size()), a.data());
                for (unsigned int block : {0u, 1u, 64u, 1000u, 1024u, 3000u}) {
                    d->run(h, block);
                    // Every control input moves between runs, outside its range now and then.
                    for (const Lv2PortTable::Port& p : ports) {
                        if (p.role != Lv2PortTable::PortRole::Document)
                            continue;
                        const float x = float(step++ % 6) / 4.0f - 0.125f;
                        controls[p.index] = p.minValue + (p.maxValue - p.minValue) * x;
                    }
                }
            });
        }
        d->deactivate(h);
        d->cleanup(h);
    }
    dlclose(binary);
}

} // namespace RealtimeTest
