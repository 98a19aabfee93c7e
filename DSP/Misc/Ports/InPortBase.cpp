#include "DSP/Misc/Ports/InPortBase.hpp"

#include <algorithm>

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/OutPortBase.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

InPortBase::InPortBase(const std::string& name, Processing* owner)
    : mName(name), mProcessing(owner) {
    if (mProcessing != nullptr)
        mProcessing->PublishInPort(*this);
}

InPortBase::~InPortBase() {
    while (!mPublishers.empty()) {
        InPortBase* publisher = mPublishers.back();
        mPublishers.pop_back();
        publisher->PublishedPortDestroyed(*this);
    }
    if (mProcessing != nullptr)
        mProcessing->mInPortRegistry.Remove(this);
}

Processing& InPortBase::GetProcessing() const {
    DSP_CHECK(mProcessing != nullptr,
              "InPort::BaseGetProcessing() - InPort has no parent processing.");
    return *mProcessing;
}

void InPortBase::Disconnect() {
    if (mAttachedOutPort != nullptr)
        mAttachedOutPort->DisconnectFromIn(*this);
}

void InPortBase::AddPublisher(InPortBase& publisher) {
    mPublishers.push_back(&publisher);
}

void InPortBase::RemovePublisher(InPortBase& publisher) {
    mPublishers.erase(std::remove(mPublishers.begin(), mPublishers.end(), &publisher),
                      mPublishers.end());
}

} // namespace DSP
