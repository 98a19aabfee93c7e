#pragma once

#include <string>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/InPortBase.hpp"
#include "DSP/Misc/Ports/OutPortBase.hpp"
#include "DSP/Misc/Ports/WritingRegion.hpp"

namespace DSP {

/// An input of tokens of type T. Per step the owner checks CanConsume(), reads tokens
/// 0 .. GetSize()-1 of the window, then calls Consume() to advance by the hop.
template <typename T> class InPort : public InPortBase {
public:
    using Token = T;
    using RegionType = ReadingRegion<WritingRegion<T>>;

    explicit InPort(const std::string& name = "unnamed in port", Processing* owner = nullptr)
        : InPortBase(name, owner) {}
    ~InPort() override { Disconnect(); }

    int GetSize() const override { return mRegion.Size(); }
    void SetSize(int size) override { mRegion.Size(size); }
    int GetHop() const override { return mRegion.Hop(); }
    void SetHop(int hop) override { mRegion.Hop(hop); }
    bool IsRealPort() const override { return true; }

    bool CanConsume() override { return mRegion.CanConsume(); }
    void Consume() { mRegion.Consume(); }

    /// Token i of the window; fails on a port that is not connected.
    T& GetData(int i = 0) {
        DSP_CHECK(mRegion.IsLinked(), "InPort::GetData() - InPort is not connected to an OutPort");
        return mRegion[i];
    }
    /// Token i of the window, unchecked: the port must be connected.
    T& operator[](int i) { return mRegion[i]; }

    RegionType& GetRegion() { return mRegion; }
    const RegionType& GetRegion() const { return mRegion; }

private:
    RegionType mRegion;
};

} // namespace DSP
