// Streaming through ports and sending control values happen on the audio thread, so once
// everything is connected and sized they must not touch the heap. This file replaces the
// global allocation functions of the test program to count calls.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"
#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/OutControl.hpp"

namespace {
std::atomic<long> gAllocations{0};
} // namespace

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

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
        }
        while (sink.CanConsumeAndProduce()) {
            checksum += frames.GetAudio().GetBuffer()[1023];
            checksum += published.GetAudio().GetBuffer()[0];
            checksum += arraysIn[2][15];
            frames.Consume();
            published.Consume();
            arraysIn.Consume();
        }
        out.SendControl(1.f);
    }
    const long allocations = gAllocations.load() - before;

    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(counter.sum, 200.f);
    EXPECT_GT(checksum, 0.f);
}
