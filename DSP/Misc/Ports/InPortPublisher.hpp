#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/InPort.hpp"

namespace DSP {

/// An in-port of a composite that stands for in-ports of its children: an out-port
/// connected to the publisher feeds every published port. Publish the inner ports before
/// connecting the publisher.
template <typename T> class InPortPublisher : public InPortBase {
public:
    explicit InPortPublisher(const std::string& name = "unnamed in port publisher",
                             Processing* owner = nullptr)
        : InPortBase(name, owner) {}
    ~InPortPublisher() override {
        Disconnect();
        for (InPort<T>* port : mPublishedPorts)
            port->RemovePublisher(*this);
    }

    /// Adds inner (an InPort<T>) to the ports this publisher stands for; a port already
    /// published is not added twice.
    void PublishInPort(InPortBase& inner) {
        auto* port = dynamic_cast<InPort<T>*>(&inner);
        DSP_CHECK(port != nullptr,
                  "InPortPublisher<Token>::PublishInPort coudn't connect to outPort because was "
                  "not templatized by the same Token type as InPortPublisher");
        if (std::find(mPublishedPorts.begin(), mPublishedPorts.end(), port) !=
            mPublishedPorts.end())
            return;
        mPublishedPorts.push_back(port);
        port->AddPublisher(*this);
    }

    const std::vector<InPort<T>*>& GetPublishedPorts() const { return mPublishedPorts; }

    /// True when every published port can consume.
    bool CanConsume() override {
        for (InPort<T>* port : mPublishedPorts)
            if (!port->CanConsume())
                return false;
        return true;
    }
    /// Size and hop of the first published port; setting them sets every published port.
    int GetSize() const override { return First().GetSize(); }
    void SetSize(int size) override {
        for (InPort<T>* port : mPublishedPorts)
            port->SetSize(size);
    }
    int GetHop() const override { return First().GetHop(); }
    void SetHop(int hop) override {
        for (InPort<T>* port : mPublishedPorts)
            port->SetHop(hop);
    }
    bool IsRealPort() const override { return false; }

    void PublishedPortDestroyed(InPortBase& port) override {
        mPublishedPorts.erase(std::remove(mPublishedPorts.begin(), mPublishedPorts.end(), &port),
                              mPublishedPorts.end());
    }

private:
    const InPort<T>& First() const {
        DSP_CHECK(!mPublishedPorts.empty(), "InPortPublisher - no InPort has been published. "
                                            "Consider using the method PublishInPort");
        return *mPublishedPorts.front();
    }

    std::vector<InPort<T>*> mPublishedPorts;
};

} // namespace DSP
