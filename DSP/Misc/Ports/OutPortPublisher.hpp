#pragma once

#include <string>
#include <vector>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"

namespace DSP {

/// An out-port of a composite that stands for one out-port of a child (the published port):
/// connecting the publisher connects the published port, and size, hop, centring and the
/// last written data are the published port's.
template <typename T> class OutPortPublisher : public OutPortBase {
public:
    explicit OutPortPublisher(const std::string& name = "unnamed out port publisher",
                              Processing* owner = nullptr)
        : OutPortBase(name, owner) {}
    ~OutPortPublisher() override {
        if (mPublishedPort != nullptr)
            mPublishedPort->RemovePublisher(*this);
    }

    /// Makes inner (an OutPort<T>) the port this publisher stands for.
    void PublishOutPort(OutPortBase& inner) {
        auto* port = dynamic_cast<OutPort<T>*>(&inner);
        DSP_CHECK(port != nullptr,
                  "OutPortPublisher<Token>::PublishOutPort coudn't connect to outPort because was "
                  "not templatized by the same Token type as OutPortPublisher");
        if (mPublishedPort != nullptr)
            mPublishedPort->RemovePublisher(*this);
        mPublishedPort = port;
        port->AddPublisher(*this);
    }

    /// Connects the published port to in and records in here.
    void ConnectToIn(InPortBase& in) override {
        Published("ConnectToIn").ConnectToIn(in);
        AddConnection(in);
    }
    void DisconnectFromIn(InPortBase& in) override {
        Published("DisconnectFromIn").DisconnectFromIn(in);
        RemoveConnection(in);
    }
    void DisconnectFromAll() override {
        while (HasConnections()) {
            InPortBase* in = GetConnectedInPorts().back();
            RemoveConnection(*in);
            // A port disconnected directly from the published port since is left alone.
            if (mPublishedPort != nullptr && mPublishedPort->IsDirectlyConnectedTo(*in))
                mPublishedPort->DisconnectFromIn(*in);
        }
    }
    bool IsConnectableTo(InPortBase& in) override {
        return dynamic_cast<InPort<T>*>(&in) != nullptr ||
               dynamic_cast<InPortPublisher<T>*>(&in) != nullptr;
    }

    bool CanProduce() override { return Published("CanProduce").CanProduce(); }
    int GetSize() const override { return Published("GetSize").GetSize(); }
    void SetSize(int size) override { Published("SetSize").SetSize(size); }
    int GetHop() const override { return Published("GetHop").GetHop(); }
    void SetHop(int hop) override { Published("SetHop").SetHop(hop); }
    void CenterEvenRegions() override { Published("CenterEvenRegions").CenterEvenRegions(); }
    T& GetLastWrittenData(int offset = 0) {
        return Published("GetLastWrittenData").GetLastWrittenData(offset);
    }

    void PublishedPortDestroyed(OutPortBase& port) override {
        if (mPublishedPort == &port) {
            mPublishedPort = nullptr;
            // The published port disconnected everything it fed while it was destroyed.
            while (HasConnections())
                RemoveConnection(*GetConnectedInPorts().back());
        }
    }

private:
    /// The published port; without one fails with "OutPortPublisher::<operation>() A
    /// published port is missing. ..." (the text is built only on failure).
    OutPort<T>& Published(const char* operation) const {
        DSP_CHECK(mPublishedPort != nullptr,
                  std::string("OutPortPublisher::") + operation +
                      "() A published port is missing. Consider using the method "
                      "PublishOutPort( OutPortBase& out) ");
        return *mPublishedPort;
    }

    OutPort<T>* mPublishedPort = nullptr;
};

} // namespace DSP
