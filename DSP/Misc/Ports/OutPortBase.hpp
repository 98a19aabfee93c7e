#pragma once

#include <string>
#include <vector>

namespace DSP {

class InPortBase;
class Processing;

/// An output of a processing: owns (in its concrete form) a stream and the window that the
/// producer writes. Built with an owner, the port publishes itself in the owner's out-port
/// registry. Connections are made and undone at configuration time, on one thread.
class OutPortBase {
public:
    explicit OutPortBase(const std::string& name = "unnamed out port", Processing* owner = nullptr);
    OutPortBase(const OutPortBase&) = delete;
    OutPortBase& operator=(const OutPortBase&) = delete;
    /// Leaves the owner's registry and tells every publisher that stands for this port. The
    /// concrete port has already disconnected its in-ports.
    virtual ~OutPortBase();

    const std::string& GetName() const { return mName; }
    /// The owning processing; fails when the port has none.
    Processing& GetProcessing() const;
    bool HasProcessing() const { return mProcessing != nullptr; }

    /// The in-ports (and in-port publishers) connected to this port, in connection order.
    const std::vector<InPortBase*>& GetConnectedInPorts() const { return mConnectedInPorts; }
    bool HasConnections() const { return !mConnectedInPorts.empty(); }
    /// True when in is one of the ports connected directly to this one.
    bool IsDirectlyConnectedTo(const InPortBase& in) const;
    virtual bool IsConnectedTo(const InPortBase& in) const { return IsDirectlyConnectedTo(in); }

    virtual void ConnectToIn(InPortBase& in) = 0;
    virtual void DisconnectFromIn(InPortBase& in) = 0;
    virtual void DisconnectFromAll() = 0;
    virtual bool IsConnectableTo(InPortBase& in) = 0;

    /// True when the writing window can be written without overwriting unread tokens.
    virtual bool CanProduce() = 0;
    virtual int GetSize() const = 0;
    virtual void SetSize(int size) = 0;
    virtual int GetHop() const = 0;
    virtual void SetHop(int hop) = 0;
    /// Positions the readers so that their windows are centred on the writer's first token.
    virtual void CenterEvenRegions() = 0;

    /// Bookkeeping between a published port and the publishers that stand for it.
    void AddPublisher(OutPortBase& publisher);
    void RemovePublisher(OutPortBase& publisher);
    /// Called on a publisher when the port it stands for is destroyed.
    virtual void PublishedPortDestroyed(OutPortBase&) {}

protected:
    void AddConnection(InPortBase& in) { mConnectedInPorts.push_back(&in); }
    void RemoveConnection(const InPortBase& in);

private:
    friend class Processing;

    std::vector<InPortBase*> mConnectedInPorts;
    std::string mName;
    Processing* mProcessing;
    std::vector<OutPortBase*> mPublishers;
};

} // namespace DSP
