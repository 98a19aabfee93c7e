#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/InPortPublisher.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Processing/Base/FakeProcessing.hpp"
#include "support/QuietAssertions.hpp"

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

const char* const kAlreadyHere = "OutPort<Token>::ConnectToConcreteIn - Trying to connect an in "
                                 "port already connected to this out port";
const char* const kAlreadyElsewhere = "OutPort<Token>::ConnectToConcreteIn - Trying to connect "
                                      "an inport already connected to another out port";

} // namespace

TEST(Port, ConnectedPortsPassTokens) {
    OutPort<float> out;
    InPort<float> in;
    out.ConnectToIn(in);
    EXPECT_EQ(in.GetAttachedOutPort(), &out);
    EXPECT_TRUE(out.IsConnectedTo(in));
    EXPECT_FALSE(in.CanConsume());
    Write(out, 3.f);
    ASSERT_TRUE(in.CanConsume());
    EXPECT_EQ(in.GetData(), 3.f);
    in.Consume();
    EXPECT_FALSE(in.CanConsume());
}

TEST(Port, SizeAndHopActOnTheWindows) {
    QuietAssertions quiet;
    OutPort<float> out;
    InPort<float> in;
    out.SetSize(4);
    out.SetHop(4);
    in.SetSize(4);
    EXPECT_DSP_ASSERT(in.SetHop(5), "Region::hop() - hop can't be greater than size");
    EXPECT_DSP_ASSERT(out.SetHop(5), "Region::hop() - hop can't be greater than size");
    in.SetHop(2);
    out.ConnectToIn(in);
    Write(out, 1.f);
    ASSERT_TRUE(in.CanConsume());
    in.Consume();
    EXPECT_EQ(in.GetRegion().Pos(), 2);
}

TEST(Port, SecondConnectionOfAnInPortFails) {
    QuietAssertions quiet;
    OutPort<float> out, other;
    InPort<float> in;
    out.ConnectToIn(in);
    EXPECT_DSP_ASSERT(out.ConnectToIn(in), kAlreadyHere);
    EXPECT_DSP_ASSERT(other.ConnectToIn(in), kAlreadyElsewhere);
    EXPECT_EQ(out.GetConnectedInPorts().size(), 1u);
    EXPECT_FALSE(other.HasConnections());
    EXPECT_EQ(in.GetAttachedOutPort(), &out);
}

TEST(Port, TokenTypesMustMatch) {
    QuietAssertions quiet;
    OutPort<float> out;
    InPort<int> in;
    InPortPublisher<int> publisher;
    EXPECT_FALSE(out.IsConnectableTo(in));
    EXPECT_FALSE(out.IsConnectableTo(publisher));
    EXPECT_DSP_ASSERT(out.ConnectToIn(in),
                      "OutPort<Token>::connectToIn coudn't connect to inPort because was not "
                      "templatized by the same Token type as outPort");
    EXPECT_DSP_ASSERT(out.DisconnectFromIn(in),
                      "OutPort<Token>::DisconnectFromIn coudn't discconnect from inPort because "
                      "was not templatized by the same Token type as outPort");
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
}

TEST(Port, DisconnectedReaderNoLongerHoldsTheWriterBack) {
    OutPort<float> out;
    InPort<float> in;
    out.ConnectToIn(in);
    Write(out, 1.f);
    Write(out, 2.f);
    ASSERT_FALSE(out.CanProduce()); // buffer of 2 full, nothing consumed
    in.Disconnect();
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
    EXPECT_FALSE(in.CanConsume());
    EXPECT_TRUE(out.CanProduce());

    out.ConnectToIn(in); // a disconnected port can be connected again
    EXPECT_EQ(in.GetAttachedOutPort(), &out);
}

TEST(Port, DestroyingEitherEndUndoesTheConnection) {
    OutPort<float> out;
    {
        InPort<float> in;
        out.ConnectToIn(in);
        Write(out, 1.f);
        Write(out, 1.f);
    }
    EXPECT_FALSE(out.HasConnections());
    EXPECT_TRUE(out.CanProduce());

    InPort<float> in;
    {
        OutPort<float> shortLived;
        shortLived.ConnectToIn(in);
    }
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(in.CanConsume());
}

TEST(Port, UnconnectedInPortRefusesDataAccess) {
    QuietAssertions quiet;
    InPort<float> in;
    EXPECT_DSP_ASSERT(in.GetData(), "InPort::GetData() - InPort is not connected to an OutPort");
}

TEST(Port, PortsPublishThemselvesInTheirProcessing) {
    QuietAssertions quiet;
    FakeProcessing owner;
    InPort<float> in("Audio Input", &owner);
    OutPort<float> out("Audio Output", &owner);
    EXPECT_EQ(&in.GetProcessing(), &owner);
    EXPECT_EQ(&out.GetProcessing(), &owner);
    EXPECT_EQ(&owner.GetInPorts().Get("Audio Input"), &in);
    EXPECT_EQ(&owner.GetOutPorts().Get("Audio Output"), &out);

    InPort<float> orphan;
    EXPECT_DSP_ASSERT(orphan.GetProcessing(),
                      "InPort::BaseGetProcessing() - InPort has no parent processing.");
    OutPort<float> orphanOut;
    EXPECT_DSP_ASSERT(orphanOut.GetProcessing(),
                      "OutPort::BaseGetProcessing() - OutPort has no parent processing.");
}

TEST(PortRegistry, LookupFailuresNameWhatIsAvailable) {
    QuietAssertions quiet;
    FakeProcessing owner;
    InPort<float> a("A", &owner), b("B", &owner);
    OutPort<float> x("X", &owner);
    const auto& ins = owner.GetInPorts();
    const auto& outs = owner.GetOutPorts();
    EXPECT_DSP_ASSERT(ins.Get("C"), "name not found in InPorts collection: 'C'. In ports "
                                    "availables: 'A', 'B'");
    EXPECT_DSP_ASSERT(outs.Get("Y"), "name not found in OutPorts collection: Y");
    EXPECT_DSP_ASSERT(ins.GetByNumber(-1), "index for Port must be >=0");
    EXPECT_DSP_ASSERT(ins.GetByNumber(2), "index for Port must be < than Size");
    EXPECT_DSP_ASSERT(outs.GetByNumber(-1), "index for Port must be >=0");
    EXPECT_DSP_ASSERT(outs.GetByNumber(1), "index for Port must be < than Size");
    EXPECT_EQ(&ins.GetByNumber(1), &b);
    EXPECT_EQ(&outs.GetByNumber(0), &x);
    EXPECT_TRUE(ins.Has("A"));
    EXPECT_FALSE(outs.Has("A"));
}

TEST(PortRegistry, PortsLeaveTheRegistryWhenDestroyed) {
    FakeProcessing owner;
    { InPort<float> temporary("T", &owner); }
    EXPECT_EQ(owner.GetInPorts().Size(), 0);

    {
        auto shortOwner = std::make_unique<FakeProcessing>();
        auto port = std::make_unique<InPort<float>>("P", shortOwner.get());
        shortOwner.reset();
        EXPECT_FALSE(port->HasProcessing());
    }
}

TEST(PortRegistry, ProcessingCanStepWhenEveryPortIsReady) {
    FakeProcessing source, sink;
    OutPort<float> produced("Out", &source);
    InPort<float> consumed("In", &sink);
    produced.ConnectToIn(consumed);

    EXPECT_TRUE(source.CanConsumeAndProduce()); // no in-ports; room to write
    EXPECT_FALSE(sink.CanConsumeAndProduce());  // nothing written yet
    Write(produced, 1.f);
    Write(produced, 2.f);
    EXPECT_FALSE(source.CanConsumeAndProduce()); // the reader has not consumed
    EXPECT_TRUE(sink.CanConsumeAndProduce());
    EXPECT_TRUE(sink.GetInPorts().AreReadyForReading());
    EXPECT_FALSE(source.GetOutPorts().AreReadyForWriting());
}

TEST(InPortPublisher, FeedsEveryPublishedPort) {
    QuietAssertions quiet;
    OutPort<float> out;
    InPort<float> first, second;
    InPort<int> wrongType;
    InPortPublisher<float> publisher;
    publisher.PublishInPort(first);
    publisher.PublishInPort(second);
    publisher.PublishInPort(first); // listed once
    EXPECT_DSP_ASSERT(publisher.PublishInPort(wrongType),
                      "InPortPublisher<Token>::PublishInPort coudn't connect to outPort because "
                      "was not templatized by the same Token type as InPortPublisher");
    ASSERT_EQ(publisher.GetPublishedPorts().size(), 2u);
    EXPECT_FALSE(publisher.IsRealPort());

    publisher.SetSize(2);
    publisher.SetHop(2);
    EXPECT_EQ(second.GetSize(), 2);
    EXPECT_EQ(publisher.GetHop(), 2);

    out.ConnectToIn(publisher);
    EXPECT_EQ(first.GetAttachedOutPort(), &out);
    EXPECT_EQ(second.GetAttachedOutPort(), &out);
    EXPECT_EQ(publisher.GetAttachedOutPort(), &out);
    EXPECT_DSP_ASSERT(out.ConnectToIn(publisher), kAlreadyHere);
    EXPECT_DSP_ASSERT(out.ConnectToIn(first), kAlreadyHere);

    Write(out, 4.f);
    EXPECT_FALSE(publisher.CanConsume());
    Write(out, 5.f);
    ASSERT_TRUE(publisher.CanConsume());
    EXPECT_EQ(first.GetData(1), 5.f);
    first.Consume();
    EXPECT_FALSE(publisher.CanConsume()); // second has not consumed yet
    EXPECT_TRUE(second.CanConsume());

    out.DisconnectFromIn(publisher);
    EXPECT_EQ(first.GetAttachedOutPort(), nullptr);
    EXPECT_EQ(second.GetAttachedOutPort(), nullptr);
    EXPECT_EQ(publisher.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
}

TEST(InPortPublisher, RefusesInnerPortsConnectedElsewhere) {
    QuietAssertions quiet;
    OutPort<float> out, other;
    InPort<float> inner, free;
    InPortPublisher<float> publisher;
    publisher.PublishInPort(free);
    publisher.PublishInPort(inner);
    other.ConnectToIn(inner);
    EXPECT_DSP_ASSERT(out.ConnectToIn(publisher), kAlreadyElsewhere);
    // Nothing changed: the free port was not linked either.
    EXPECT_EQ(free.GetAttachedOutPort(), nullptr);
    EXPECT_EQ(publisher.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
}

TEST(InPortPublisher, SurvivesItsPortsAndUnlinksThemWhenItGoes) {
    OutPort<float> out;
    auto publisher = std::make_unique<InPortPublisher<float>>();
    InPort<float> kept;
    {
        InPort<float> shortLived;
        publisher->PublishInPort(shortLived);
        publisher->PublishInPort(kept);
        out.ConnectToIn(*publisher);
    }
    EXPECT_EQ(publisher->GetPublishedPorts().size(), 1u);
    publisher.reset();
    EXPECT_EQ(kept.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(out.HasConnections());
    Write(out, 1.f);
    Write(out, 1.f);
    EXPECT_TRUE(out.CanProduce()); // no reader left to hold the writer back
}

TEST(OutPortPublisher, StandsForThePublishedPort) {
    QuietAssertions quiet;
    OutPortPublisher<float> publisher;
    EXPECT_DSP_ASSERT(publisher.CanProduce(),
                      "OutPortPublisher::CanProduce() A published port is missing. Consider "
                      "using the method PublishOutPort( OutPortBase& out) ");
    OutPort<int> wrongType;
    EXPECT_DSP_ASSERT(publisher.PublishOutPort(wrongType),
                      "OutPortPublisher<Token>::PublishOutPort coudn't connect to outPort because "
                      "was not templatized by the same Token type as OutPortPublisher");

    OutPort<float> inner;
    InPort<float> in;
    publisher.PublishOutPort(inner);
    publisher.SetSize(2);
    publisher.SetHop(2);
    EXPECT_EQ(inner.GetSize(), 2);
    EXPECT_EQ(publisher.GetHop(), 2);
    publisher.ConnectToIn(in);
    EXPECT_EQ(in.GetAttachedOutPort(), &inner);
    EXPECT_TRUE(publisher.IsConnectedTo(in));
    EXPECT_TRUE(publisher.CanProduce());

    inner[0] = 6.f;
    inner[1] = 7.f;
    inner.Produce();
    EXPECT_EQ(publisher.GetLastWrittenData(1), 7.f);
    in.SetSize(2);
    ASSERT_TRUE(in.CanConsume());
    EXPECT_EQ(in.GetData(0), 6.f);

    publisher.DisconnectFromAll();
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_FALSE(inner.HasConnections());
}

TEST(OutPortPublisher, ForgetsAPublishedPortThatIsDestroyed) {
    QuietAssertions quiet;
    OutPortPublisher<float> publisher;
    InPort<float> in;
    {
        OutPort<float> inner;
        publisher.PublishOutPort(inner);
        publisher.ConnectToIn(in);
    }
    EXPECT_EQ(publisher.GetPublishedOutPort(), nullptr);
    EXPECT_FALSE(publisher.HasConnections());
    EXPECT_EQ(in.GetAttachedOutPort(), nullptr);
    EXPECT_DSP_ASSERT(publisher.GetSize(),
                      "OutPortPublisher::GetSize() A published port is missing. Consider using "
                      "the method PublishOutPort( OutPortBase& out) ");
}

TEST(OutPortPublisher, CanFeedAnInPortPublisher) {
    OutPort<float> inner;
    OutPortPublisher<float> outPublisher;
    outPublisher.PublishOutPort(inner);
    InPort<float> a, b;
    InPortPublisher<float> inPublisher;
    inPublisher.PublishInPort(a);
    inPublisher.PublishInPort(b);
    outPublisher.ConnectToIn(inPublisher);
    Write(inner, 8.f);
    EXPECT_TRUE(inPublisher.CanConsume());
    EXPECT_EQ(a.GetData(), 8.f);
    EXPECT_EQ(b.GetData(), 8.f);
}

// Tokens that own memory (arrays, peak lists, candidates) are copied whole between the head
// and the phantom zone, so a reader sees each token exactly as written.
TEST(Port, ClassTokensKeepTheirContentsAcrossWrapAround) {
    OutPort<DSP::Array<float>> out;
    InPort<DSP::Array<float>> in;
    in.SetSize(3);
    out.ConnectToIn(in);
    long written = 0;
    for (int step = 0; step < 50; ++step) {
        if (out.CanProduce()) {
            DSP::Array<float>& token = out.GetData();
            const int length = static_cast<int>(written % 4) + 1;
            token.Resize(length);
            token.SetSize(length);
            for (int i = 0; i < length; ++i)
                token[i] = static_cast<float>(written);
            out.Produce();
            ++written;
        }
        while (in.CanConsume()) {
            for (int k = 0; k < 3; ++k) {
                const long pos = in.GetRegion().Pos() + k;
                const DSP::Array<float>& token = in[k];
                ASSERT_EQ(token.Size(), static_cast<int>(pos % 4) + 1) << "token " << pos;
                ASSERT_EQ(token[0], static_cast<float>(pos));
            }
            in.Consume();
        }
    }
    EXPECT_GT(written, 40);
}

TEST(Port, CentringClassTokensWritesDefaultTokens) {
    OutPort<DSP::Fundamental> out;
    InPort<DSP::Fundamental> in;
    out.SetSize(2);
    out.SetHop(2);
    in.SetSize(4);
    out.ConnectToIn(in);
    out.GetData(0).AddElem(100.f, 0.1f);
    out.CenterEvenRegions();
    out.GetData(0).AddElem(220.f, 0.2f);
    out.Produce();
    ASSERT_TRUE(in.CanConsume());
    EXPECT_EQ(in[0].GetnCandidates(), 0);
    EXPECT_EQ(in[1].GetnCandidates(), 0);
    EXPECT_EQ(in[2].GetFreq(0), 220.f);
}
