#pragma once

#include <string>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/InPortPublisher.hpp"
#include "DSP/Misc/Ports/OutPortBase.hpp"
#include "DSP/Misc/Ports/WritingRegion.hpp"

namespace DSP {

/// An output of tokens of type T; it owns the stream its in-ports read. Per step the owner
/// checks CanProduce(), writes tokens 0 .. GetSize()-1 of the window, then calls Produce()
/// to advance by the hop.
template <typename T> class OutPort : public OutPortBase {
public:
    using Token = T;
    using RegionType = WritingRegion<T>;

    explicit OutPort(const std::string& name = "unnamed out port", Processing* owner = nullptr)
        : OutPortBase(name, owner) {}
    ~OutPort() override { DisconnectFromAll(); }

    int GetSize() const override { return mRegion.Size(); }
    void SetSize(int size) override { mRegion.Size(size); }
    int GetHop() const override { return mRegion.Hop(); }
    void SetHop(int hop) override { mRegion.Hop(hop); }

    bool CanProduce() override { return mRegion.CanProduce(); }
    void Produce() { mRegion.Produce(); }
    /// Token i of the window being written.
    T& GetData(int i = 0) { return mRegion[i]; }
    T& operator[](int i) { return mRegion[i]; }
    /// Token offset of the window written by the last Produce().
    T& GetLastWrittenData(int offset = 0) { return mRegion.GetLastWrittenData(offset); }
    void CenterEvenRegions() override { mRegion.CenterEvenRegions(); }

    RegionType& GetRegion() { return mRegion; }
    const RegionType& GetRegion() const { return mRegion; }

    bool IsConnectableTo(InPortBase& in) override {
        return dynamic_cast<InPort<T>*>(&in) != nullptr ||
               dynamic_cast<InPortPublisher<T>*>(&in) != nullptr;
    }

    /// Connects in (an InPort<T>, or an InPortPublisher<T> and through it every port it
    /// publishes). All checks come before any change.
    void ConnectToIn(InPortBase& in) override {
        if (auto* port = dynamic_cast<InPort<T>*>(&in)) {
            CheckConnectable(*port);
            AddConnection(*port);
            Attach(*port);
        } else if (auto* publisher = dynamic_cast<InPortPublisher<T>*>(&in)) {
            CheckConnectable(*publisher);
            for (InPort<T>* inner : publisher->GetPublishedPorts())
                CheckConnectable(*inner);
            AddConnection(*publisher);
            for (InPort<T>* inner : publisher->GetPublishedPorts())
                Attach(*inner);
            publisher->SetAttachedOutPort(this);
        } else {
            DSP_CHECK(false, "OutPort<Token>::connectToIn coudn't connect to inPort because was "
                             "not templatized by the same Token type as outPort");
        }
    }

    /// Undoes ConnectToIn for in; a port that is not connected here is left alone.
    void DisconnectFromIn(InPortBase& in) override {
        if (auto* port = dynamic_cast<InPort<T>*>(&in)) {
            Detach(*port);
            RemoveConnection(*port);
        } else if (auto* publisher = dynamic_cast<InPortPublisher<T>*>(&in)) {
            for (InPort<T>* inner : publisher->GetPublishedPorts())
                Detach(*inner);
            if (publisher->GetAttachedOutPort() == this)
                publisher->SetAttachedOutPort(nullptr);
            RemoveConnection(*publisher);
        } else {
            DSP_CHECK(false, "OutPort<Token>::DisconnectFromIn coudn't discconnect from inPort "
                             "because was not templatized by the same Token type as outPort");
        }
    }

    void DisconnectFromAll() override {
        while (HasConnections())
            DisconnectFromIn(*GetConnectedInPorts().back());
    }

private:
    void CheckConnectable(const InPortBase& in) const {
        DSP_CHECK(in.GetAttachedOutPort() == nullptr || in.GetAttachedOutPort() == this,
                  "OutPort<Token>::ConnectToConcreteIn - Trying to connect an inport already "
                  "connected to another out port");
        DSP_CHECK(in.GetAttachedOutPort() != this && !IsDirectlyConnectedTo(in),
                  "OutPort<Token>::ConnectToConcreteIn - Trying to connect an in port already "
                  "connected to this out port");
    }

    void Attach(InPort<T>& port) {
        mRegion.LinkRegions(port.GetRegion());
        port.SetAttachedOutPort(this);
    }

    void Detach(InPort<T>& port) {
        if (port.GetAttachedOutPort() != this)
            return;
        mRegion.RemoveRegion(port.GetRegion());
        port.SetAttachedOutPort(nullptr);
    }

    RegionType mRegion;
};

} // namespace DSP
