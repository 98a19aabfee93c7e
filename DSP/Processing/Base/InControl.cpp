#include "DSP/Processing/Base/InControl.hpp"

#include "DSP/Processing/Base/OutControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

static_assert(std::atomic<float>::is_always_lock_free,
              "control values must be readable on the audio thread without a lock");

InControl::InControl(const std::string& name, Processing* parent, bool publish)
    : mName(name), mParent(parent) {
    if (mParent != nullptr && publish)
        mParent->PublishInControl(*this);
}

InControl::~InControl() {
    // Each entry stands for one link; Unlink erases it from mLinkedFrom as well.
    while (!mLinkedFrom.empty())
        mLinkedFrom.back()->Unlink(this);
    if (mParent != nullptr)
        mParent->mInControlRegistry.Remove(this);
}

int InControl::DoControl(float value) {
    StoreLastValue(value);
    return 0;
}

bool InControl::IsConnectedTo(const OutControl& out) const {
    return out.IsConnectedTo(*this);
}

} // namespace DSP
