// Streaming through ports and sending control values happen on the audio thread, so once
// everything is connected and sized they must not touch the heap.

#include <gtest/gtest.h>

#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"
#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/OutControl.hpp"
#include "support/AllocationCounter.hpp"

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
    SKIP_WITHOUT_ALLOCATION_COUNTER();
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

    AllocationCounter heap;
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
    const long allocations = heap.Calls();

    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(blocks, 200); // the readers kept up: nothing stalled
    EXPECT_EQ(counter.sum, 200.f);
    EXPECT_GT(checksum, 0.f);
}
