#include "DSP/Misc/Ports/OutPortBase.hpp"

#include <algorithm>

#include "DSP/Misc/Err.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

OutPortBase::OutPortBase(const std::string& name, Processing* owner)
    : mName(name), mProcessing(owner) {
    if (mProcessing != nullptr)
        mProcessing->PublishOutPort(*this);
}

OutPortBase::~OutPortBase() {
    while (!mPublishers.empty()) {
        OutPortBase* publisher = mPublishers.back();
        mPublishers.pop_back();
        publisher->PublishedPortDestroyed(*this);
    }
    if (mProcessing != nullptr)
        mProcessing->mOutPortRegistry.Remove(this);
}

Processing& OutPortBase::GetProcessing() const {
    DSP_CHECK(mProcessing != nullptr,
              "OutPort::BaseGetProcessing() - OutPort has no parent processing.");
    return *mProcessing;
}

bool OutPortBase::IsDirectlyConnectedTo(const InPortBase& in) const {
    return std::find(mConnectedInPorts.begin(), mConnectedInPorts.end(), &in) !=
           mConnectedInPorts.end();
}

void OutPortBase::RemoveConnection(const InPortBase& in) {
    auto it = std::find(mConnectedInPorts.begin(), mConnectedInPorts.end(), &in);
    if (it != mConnectedInPorts.end())
        mConnectedInPorts.erase(it);
}

void OutPortBase::AddPublisher(OutPortBase& publisher) {
    mPublishers.push_back(&publisher);
}

void OutPortBase::RemovePublisher(OutPortBase& publisher) {
    mPublishers.erase(std::remove(mPublishers.begin(), mPublishers.end(), &publisher),
                      mPublishers.end());
}

} // namespace DSP
