#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/AudioOutPortPublisher.hpp"

#include <gtest/gtest.h>

#include "support/QuietAssertions.hpp"

using DSP::Audio;
using DSP::AudioInPort;
using DSP::AudioOutPort;

namespace {

// Writes stream sample n as the value n through the out-port's Audio view, then produces.
void WriteCountingBlock(AudioOutPort& out, long& next) {
    Audio& block = out.GetAudio();
    for (int i = 0; i < block.GetSize(); ++i)
        block.GetBuffer()[i] = static_cast<float>(next + i);
    next += out.GetHop();
    out.Produce();
}

} // namespace

TEST(AudioPort, StartsWith512SampleBlocksAt44100) {
    AudioOutPort out;
    AudioInPort in;
    EXPECT_EQ(out.GetSize(), 512);
    EXPECT_EQ(out.GetHop(), 512);
    EXPECT_EQ(in.GetSize(), 512);
    EXPECT_EQ(in.GetHop(), 512);
    EXPECT_EQ(out.GetSampleRate(), 44100.f);
}

TEST(AudioPort, AudioViewsBorrowTheStreamWithoutCopying) {
    AudioOutPort out;
    AudioInPort in;
    out.ConnectToIn(in);
    out.SetSampleRate(48000.f);
    Audio& written = out.GetAudio();
    EXPECT_EQ(written.GetBuffer().GetPtr(), &out.GetData(0));
    EXPECT_FALSE(written.GetBuffer().OwnsMemory());
    EXPECT_EQ(written.GetSize(), 512);
    EXPECT_EQ(written.GetSampleRate(), 48000.f);
    written.GetBuffer()[7] = 0.5f;
    out.Produce();

    ASSERT_TRUE(in.CanConsume());
    Audio& read = in.GetAudio();
    EXPECT_EQ(read.GetBuffer().GetPtr(), &in.GetData(0));
    EXPECT_EQ(read.GetSize(), 512);
    EXPECT_EQ(read.GetBuffer()[7], 0.5f);
}

// Blocks of 512 written, overlapping frames of 1024 read every 256 samples: every frame
// holds the samples at its positions, across many wraps of the stream.
TEST(AudioPort, OverlappingFramesReadBackWrittenBlocks) {
    AudioOutPort out;
    AudioInPort in;
    in.SetSize(1024);
    in.SetHop(256);
    out.ConnectToIn(in);
    long next = 0;
    int frames = 0;
    for (int block = 0; block < 40; ++block) {
        ASSERT_TRUE(out.CanProduce());
        WriteCountingBlock(out, next);
        while (in.CanConsume()) {
            const Audio& frame = in.GetAudio();
            const long first = in.GetRegion().Pos();
            for (int i = 0; i < frame.GetSize(); ++i)
                ASSERT_EQ(frame.GetBuffer()[i], static_cast<float>(first + i))
                    << "frame at " << first << ", sample " << i;
            in.Consume();
            ++frames;
        }
    }
    EXPECT_EQ(frames, (40 * 512 - 1024) / 256 + 1);
}

TEST(AudioPort, LastWrittenAudioIsThePreviousBlock) {
    QuietAssertions quiet;
    AudioOutPort out;
    out.SetSize(4);
    out.SetHop(4);
    long next = 0;
    for (int block = 0; block < 5; ++block) {
        WriteCountingBlock(out, next);
        const Audio& last = out.GetLastWrittenAudio();
        ASSERT_EQ(last.GetSize(), 4);
        EXPECT_EQ(last.GetBuffer()[0], static_cast<float>(next - 4));
        EXPECT_EQ(last.GetBuffer()[3], static_cast<float>(next - 1));
    }
    const Audio& tail = out.GetLastWrittenAudio(1);
    EXPECT_EQ(tail.GetSize(), 3);
    EXPECT_EQ(tail.GetBuffer()[0], static_cast<float>(next - 3));
    EXPECT_DSP_ASSERT(out.GetLastWrittenAudio(5),
                      "AudioOutPort::GetLastWrittenAudio() - offset must lie within the window");
}

TEST(AudioPort, UnconnectedInPortHasNoAudio) {
    QuietAssertions quiet;
    AudioInPort in;
    EXPECT_DSP_ASSERT(in.GetAudio(), "InPort::GetData() - InPort is not connected to an OutPort");
}

TEST(AudioPort, PublishersForwardToAudioPorts) {
    QuietAssertions quiet;
    AudioOutPort inner;
    DSP::AudioOutPortPublisher outPublisher;
    EXPECT_DSP_ASSERT(outPublisher.GetAudio(), "AudioOutPortPublisher - the published port is "
                                               "missing or is not an AudioOutPort");
    outPublisher.PublishOutPort(inner);
    outPublisher.SetSampleRate(22050.f);
    EXPECT_EQ(inner.GetSampleRate(), 22050.f);
    EXPECT_EQ(outPublisher.GetAudio().GetBuffer().GetPtr(), &inner.GetData(0));

    AudioInPort a, b;
    DSP::AudioInPortPublisher inPublisher;
    inPublisher.PublishInPort(a);
    inPublisher.PublishInPort(b);
    inPublisher.SetSampleRate(96000.f);
    EXPECT_EQ(b.GetSampleRate(), 96000.f);
    outPublisher.ConnectToIn(inPublisher);
    inner.GetAudio().GetBuffer()[0] = 1.f;
    inner.Produce();
    EXPECT_TRUE(inPublisher.CanConsume());
    EXPECT_EQ(a.GetAudio().GetBuffer()[0], 1.f);
    EXPECT_EQ(b.GetAudio().GetSampleRate(), 96000.f);
}
