// Streaming through ports and sending control values happen on the audio thread, so once
// everything is connected and sized they must not touch the heap. This file replaces the C
// library's allocation entry points for the test program to count calls (operator new and
// the arrays' realloc both end there). The sanitizers own those entry points themselves, so
// under them the count is not taken and the test is skipped.

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"
#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/OutControl.hpp"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORVEL_COUNT_ALLOCATIONS 0
#else
#define QUORVEL_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> gAllocations{0};
} // namespace

#if QUORVEL_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);

void* malloc(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}
}
#endif

namespace {

class Counter : public FakeProcessing {
public:
    Counter() : level("Level", this, &Counter::OnLevel) {}
    int OnLevel(float value) {
        sum += value;
        return 0;
    }
    float sum = 0.f;
    DSP::InControlTmpl<Counter> level;
};

} // namespace

TEST(SteadyState, StreamingAndControlsDoNotAllocate) {
    if (!QUORVEL_COUNT_ALLOCATIONS)
        GTEST_SKIP() << "allocations are not counted under the sanitizers";
    FakeProcessing source, sink;
    DSP::AudioOutPort audioOut("Audio Output", &source);
    DSP::AudioInPort frames("Frames", &sink);
    DSP::AudioInPort published;
    DSP::AudioInPortPublisher publisher("Input", &sink);
    DSP::OutPort<DSP::Array<float>> arraysOut("Arrays", &source);
    DSP::InPort<DSP::Array<float>> arraysIn("Arrays", &sink);
    DSP::OutPortPublisher<float> outPublisher("Published", &source);
    Counter counter;
    DSP::OutControl out("Out");

    frames.SetSize(1024);
    frames.SetHop(256);
    publisher.PublishInPort(published);
    audioOut.ConnectToIn(frames);
    audioOut.ConnectToIn(publisher);
    outPublisher.PublishOutPort(audioOut);
    arraysIn.SetSize(3);
    arraysOut.ConnectToIn(arraysIn);
    for (int i = 0; i < 8; ++i) { // every token sized once, as configuration would
        arraysOut.GetData().Resize(16);
        arraysOut.GetData().SetSize(16);
        arraysOut.Produce();
        if (arraysIn.CanConsume())
            arraysIn.Consume();
    }
    out.AddLink(&counter.level);

    const long before = gAllocations.load();
    float checksum = 0.f;
    int blocks = 0;
    for (int step = 0; step < 200; ++step) {
        if (source.CanConsumeAndProduce() && outPublisher.CanProduce()) {
            DSP::Audio& block = audioOut.GetAudio();
            for (int i = 0; i < block.GetSize(); ++i)
                block.GetBuffer()[i] = static_cast<float>(step);
            audioOut.Produce();
            for (int i = 0; i < 16; ++i)
                arraysOut.GetData()[i] = static_cast<float>(step);
            arraysOut.Produce();
            checksum += audioOut.GetLastWrittenAudio().GetBuffer()[0];
            ++blocks;
        }
        checksum += sink.CanConsumeAndProduce() ? 1.f : 0.f;
        for (; frames.CanConsume(); frames.Consume())
            checksum += frames.GetAudio().GetBuffer()[1023];
        for (; published.CanConsume(); published.Consume())
            checksum += published.GetAudio().GetBuffer()[0];
        for (; arraysIn.CanConsume(); arraysIn.Consume())
            checksum += arraysIn[2][15];
        out.SendControl(1.f);
    }
    const long allocations = gAllocations.load() - before;

    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(blocks, 200); // the readers kept up: nothing stalled
    EXPECT_EQ(counter.sum, 200.f);
    EXPECT_GT(checksum, 0.f);
}
