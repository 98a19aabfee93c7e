#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/InPortPublisher.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "support/QuietAssertions.hpp"

using DSP::Audio;
using DSP::InPort;
using DSP::InPortPublisher;
using DSP::OutPort;
using DSP::OutPortPublisher;

namespace {

void Write(OutPort<float>& out, float value) {
    for (int i = 0; i < out.GetSize(); ++i)
        out[i] = value;
    out.Produce();
}

// Writes stream sample n as the value n through the out-port's Audio view, then produces.
void WriteCountingBlock(DSP::AudioOutPort& out, long& next) {
    Audio& block = out.GetAudio();
    for (int i = 0; i < block.GetSize(); ++i)
        block.GetBuffer()[i] = static_cast<float>(next + i);
    next += out.GetHop();
    out.Produce();
}

const char* const kAlreadyHere = "OutPort<Token>::ConnectToConcreteIn - Trying to connect an in "
                                 "port already connected to this out port";
const char* const kAlreadyElsewhere = "OutPort<Token>::ConnectToConcreteIn - Trying to connect "
                                      "an inport already connected to another out port";
const std::string kNoPublished = "A published port is missing. Consider using the method "
                                 "PublishOutPort( OutPortBase& out) ";

class Port : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

} // namespace

TEST_F(Port, ConnectionMisuseIsRefusedAndChangesNothing) {
    OutPort<float> out, other;
    InPort<float> in;
    InPort<int> wrongType;
    out.ConnectToIn(in);
    EXPECT_DSP_ASSERT(out.ConnectToIn(in), kAlreadyHere);
    EXPECT_DSP_ASSERT(other.ConnectToIn(in), kAlreadyElsewhere);
    EXPECT_DSP_ASSERT(out.ConnectToIn(wrongType),
                      "OutPort<Token>::connectToIn coudn't connect to inPort because was not "
                      "templatized by the same Token type as outPort");
    EXPECT_EQ(out.GetConnectedInPorts().size(), 1u);
    EXPECT_FALSE(other.HasConnections());
    EXPECT_EQ(in.GetAttachedOutPort(), &out);
    EXPECT_EQ(wrongType.GetAttachedOutPort(), nullptr);
}

TEST_F(Port, DisconnectingOrDestroyingEitherEndUnlinksTheReader) {
    OutPort<float> out;
    InPort<float> in;
    out.ConnectToIn(in);
    Write(out, 1.f);
    Write(out, 2.f);
    ASSERT_FALSE(out.CanProduce()); // buffer of 2 full, nothing consumed
    in.Disconnect();
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_TRUE(out.CanProduce());
    {
        InPort<float> shortLived;
        out.ConnectToIn(shortLived);
        Write(out, 1.f);
        Write(out, 1.f);
    }
    EXPECT_FALSE(out.HasConnections());
    EXPECT_TRUE(out.CanProduce());
    {
        OutPort<float> shortLived;
        shortLived.ConnectToIn(in); // a disconnected port can be connected again
    }
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(in.CanConsume());
}

TEST_F(Port, PortsPublishThemselvesInTheirProcessingWhileTheyLive) {
    FakeProcessing owner, sink;
    InPort<float> a("A", &owner), b("B", &owner);
    OutPort<float> x("X", &owner);
    { InPort<float> temporary("T", &owner); }
    const auto& ins = owner.GetInPorts();
    EXPECT_EQ(&x.GetProcessing(), &owner);
    EXPECT_EQ(&ins.Get("B"), &b);
    EXPECT_EQ(&ins.GetByNumber(1), &b);
    EXPECT_DSP_ASSERT(ins.Get("C"), "name not found in InPorts collection: 'C'. In ports "
                                    "availables: 'A', 'B'");
    EXPECT_DSP_ASSERT(ins.GetByNumber(2), "index for Port must be < than Size");
    auto shortOwner = std::make_unique<FakeProcessing>();
    InPort<float> outlives("P", shortOwner.get());
    shortOwner.reset();
    EXPECT_FALSE(outlives.HasProcessing());
    // A processing can step when every in-port can consume and every out-port can produce.
    InPort<float> consumed("In", &sink);
    x.ConnectToIn(consumed);
    EXPECT_FALSE(sink.CanConsumeAndProduce()); // nothing written yet
    Write(x, 1.f);
    Write(x, 2.f);
    EXPECT_TRUE(sink.GetInPorts().AreReadyForReading());
    EXPECT_FALSE(owner.GetOutPorts().AreReadyForWriting()); // the reader has not consumed
}

TEST_F(Port, InPortPublisherFeedsEveryPublishedPortAndConnectsAllOrNothing) {
    OutPort<float> out, other;
    InPort<float> first, second, elsewhere;
    auto publisher = std::make_unique<InPortPublisher<float>>();
    publisher->PublishInPort(first);
    publisher->PublishInPort(second);
    publisher->PublishInPort(first); // listed once
    publisher->PublishInPort(elsewhere);
    other.ConnectToIn(elsewhere);
    EXPECT_DSP_ASSERT(out.ConnectToIn(*publisher), kAlreadyElsewhere);
    EXPECT_EQ(first.GetAttachedOutPort(), nullptr); // not linked either
    EXPECT_FALSE(out.HasConnections());
    elsewhere.Disconnect();
    publisher->SetSize(2);
    publisher->SetHop(2);
    out.ConnectToIn(*publisher);
    EXPECT_EQ(second.GetAttachedOutPort(), &out);
    EXPECT_EQ(publisher->GetAttachedOutPort(), &out);
    EXPECT_DSP_ASSERT(out.ConnectToIn(first), kAlreadyHere);
    Write(out, 4.f);
    Write(out, 5.f);
    ASSERT_TRUE(publisher->CanConsume());
    EXPECT_EQ(second.GetData(1), 5.f);
    first.Consume();
    EXPECT_FALSE(publisher->CanConsume()); // the others have not consumed yet
    {
        InPort<float> shortLived;
        publisher->PublishInPort(shortLived);
    }
    EXPECT_EQ(publisher->GetPublishedPorts().size(), 3u);
    publisher.reset();
    EXPECT_EQ(second.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
    Write(out, 1.f);
    EXPECT_TRUE(out.CanProduce()); // no reader left to hold the writer back
}

TEST_F(Port, OutPortPublisherStandsForThePublishedPortWhileItLives) {
    OutPortPublisher<float> publisher;
    EXPECT_DSP_ASSERT(publisher.CanProduce(),
                      ("OutPortPublisher::CanProduce() " + kNoPublished).c_str());
    InPort<float> a, b;
    InPortPublisher<float> inPublisher;
    inPublisher.PublishInPort(a);
    inPublisher.PublishInPort(b);
    {
        OutPort<float> inner;
        publisher.PublishOutPort(inner);
        publisher.SetSize(2);
        publisher.SetHop(2);
        publisher.ConnectToIn(inPublisher);
        EXPECT_EQ(a.GetAttachedOutPort(), &inner);
        EXPECT_TRUE(publisher.CanProduce());
        inner[0] = 6.f;
        inner[1] = 7.f;
        inner.Produce();
        EXPECT_EQ(publisher.GetLastWrittenData(1), 7.f);
        ASSERT_TRUE(inPublisher.CanConsume());
        EXPECT_EQ(b.GetData(0), 6.f);
    }
    EXPECT_FALSE(publisher.HasConnections()); // the port is forgotten when destroyed
    EXPECT_EQ(a.GetAttachedOutPort(), nullptr);
    EXPECT_DSP_ASSERT(publisher.GetSize(), ("OutPortPublisher::GetSize() " + kNoPublished).c_str());
}

// Tokens that own memory are copied whole between the head and the phantom zone, so a
// reader sees each token exactly as written, across many wraps of the stream; centring
// writes default tokens.
TEST_F(Port, ClassTokensPassThroughWholeAndCentringWritesDefaultTokens) {
    OutPort<DSP::Spectrum> out;
    InPort<DSP::Spectrum> in;
    in.SetSize(3);
    out.ConnectToIn(in);
    long written = 0;
    for (int step = 0; step < 30; ++step) {
        if (out.CanProduce()) {
            DSP::Spectrum& spectrum = out.GetData();
            spectrum.SetSize(static_cast<int>(written % 5) + 2);
            spectrum.SetMag(1, static_cast<float>(written++));
            out.Produce();
        }
        for (; in.CanConsume(); in.Consume())
            for (int k = 0; k < 3; ++k) {
                const long pos = in.GetRegion().Pos() + k;
                ASSERT_EQ(in[k].GetSize(), static_cast<int>(pos % 5) + 2) << "token " << pos;
                ASSERT_EQ(in[k].GetMag(1), static_cast<float>(pos));
            }
    }
    EXPECT_GT(written, 20);

    OutPort<DSP::Fundamental> centred;
    InPort<DSP::Fundamental> reader;
    centred.SetSize(2);
    centred.SetHop(2);
    reader.SetSize(4);
    centred.ConnectToIn(reader);
    centred.GetData(0).AddElem(100.f, 0.1f);
    centred.CenterEvenRegions();
    centred.GetData(0).AddElem(220.f, 0.2f);
    centred.Produce();
    ASSERT_TRUE(reader.CanConsume());
    EXPECT_EQ(std::make_pair(reader[0].GetnCandidates(), reader[1].GetnCandidates()),
              std::make_pair(0, 0));
    EXPECT_EQ(reader[2].GetFreq(0), 220.f);
}

// Blocks of 512 written, overlapping frames of 1024 read every 256 samples: every frame
// holds the samples at its positions, across many wraps of the stream, and the Audio views
// borrow the stream's memory instead of copying it.
TEST_F(Port, AudioFramesReadBackWrittenBlocksThroughBorrowingViews) {
    DSP::AudioOutPort out;
    DSP::AudioInPort in;
    in.SetSize(1024);
    in.SetHop(256);
    out.ConnectToIn(in);
    long next = 0;
    int frames = 0;
    for (int block = 0; block < 40; ++block) {
        ASSERT_TRUE(out.CanProduce());
        WriteCountingBlock(out, next);
        for (; in.CanConsume(); in.Consume(), ++frames) {
            const Audio& frame = in.GetAudio();
            ASSERT_EQ(frame.GetBuffer().GetPtr(), &in.GetData(0));
            ASSERT_EQ(frame.GetSize(), 1024);
            const long first = in.GetRegion().Pos();
            for (int i = 0; i < frame.GetSize(); ++i)
                ASSERT_EQ(frame.GetBuffer()[i], static_cast<float>(first + i))
                    << "frame at " << first << ", sample " << i;
        }
    }
    EXPECT_EQ(frames, (40 * 512 - 1024) / 256 + 1);
}

TEST_F(Port, LastWrittenAudioIsThePreviousBlockAndPublishersForwardTheView) {
    DSP::AudioOutPort out;
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

    // Sample rates set on a publisher reach the ports it stands for.
    DSP::AudioInPort a, b;
    DSP::AudioInPortPublisher inPublisher;
    inPublisher.PublishInPort(a);
    inPublisher.PublishInPort(b);
    inPublisher.SetSampleRate(96000.f);
    EXPECT_EQ(b.GetSampleRate(), 96000.f);
}
