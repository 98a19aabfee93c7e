#include "DSP/Processing/Base/OutControl.hpp"

#include <algorithm>

#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

namespace {
template <class T> void EraseFirst(std::vector<T*>& list, const T* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}
} // namespace

OutControl::OutControl(const std::string& name, Processing* parent, bool publish)
    : mName(name), mParent(parent) {
    if (mParent != nullptr && publish)
        mParent->PublishOutControl(*this);
}

OutControl::~OutControl() {
    while (!mLinks.empty())
        Unlink(mLinks.back());
    if (mParent != nullptr)
        mParent->mOutControlRegistry.Remove(this);
}

void OutControl::AddLink(InControl* in) {
    if (in == nullptr)
        return;
    mLinks.push_back(in);
    in->mLinkedFrom.push_back(this);
}

void OutControl::RemoveLink(InControl* in) {
    Unlink(in);
}

void OutControl::Unlink(InControl* in) {
    auto it = std::find(mLinks.begin(), mLinks.end(), in);
    if (it == mLinks.end())
        return;
    mLinks.erase(it);
    EraseFirst(in->mLinkedFrom, this);
}

int OutControl::SendControl(float value) {
    int result = 0;
    for (InControl* in : mLinks)
        result = in->DoControl(value);
    return result;
}

bool OutControl::IsConnectedTo(const InControl& in) const {
    return std::find(mLinks.begin(), mLinks.end(), &in) != mLinks.end();
}

} // namespace DSP
