#pragma once

#include <string>
#include <vector>

namespace DSP {

class OutPortBase;
class Processing;

/// An input of a processing: a named reading window on some out-port's stream. Built with an
/// owner, the port publishes itself in the owner's in-port registry. Connections are made
/// and undone at configuration time, on one thread.
class InPortBase {
public:
    explicit InPortBase(const std::string& name = "unnamed in port", Processing* owner = nullptr);
    InPortBase(const InPortBase&) = delete;
    InPortBase& operator=(const InPortBase&) = delete;
    /// Leaves the owner's registry and every publisher that lists the port. The concrete
    /// port has already disconnected itself.
    virtual ~InPortBase();

    const std::string& GetName() const { return mName; }
    /// The owning processing; fails when the port has none.
    Processing& GetProcessing() const;
    bool HasProcessing() const { return mProcessing != nullptr; }
    /// The out-port this port reads from, or null.
    OutPortBase* GetAttachedOutPort() const { return mAttachedOutPort; }

    /// True when the whole reading window has been written.
    virtual bool CanConsume() = 0;
    virtual int GetSize() const = 0;
    virtual void SetSize(int size) = 0;
    virtual int GetHop() const = 0;
    virtual void SetHop(int hop) = 0;
    /// True for a port with its own reading window, false for a publisher.
    virtual bool IsRealPort() const = 0;
    /// Asks the attached out-port to disconnect this port.
    virtual void Disconnect();

    /// Bookkeeping between a published port and the publishers that list it.
    void AddPublisher(InPortBase& publisher);
    void RemovePublisher(InPortBase& publisher);
    /// Called on a publisher when a port it lists is destroyed.
    virtual void PublishedPortDestroyed(InPortBase&) {}

protected:
    /// Only the out-port that connects or disconnects this port calls this.
    void SetAttachedOutPort(OutPortBase* out) { mAttachedOutPort = out; }

private:
    template <typename> friend class OutPort;
    friend class Processing;

    OutPortBase* mAttachedOutPort = nullptr;
    std::string mName;
    Processing* mProcessing;
    std::vector<InPortBase*> mPublishers;
};

} // namespace DSP
