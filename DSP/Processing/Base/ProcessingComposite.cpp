#include "DSP/Processing/Base/ProcessingComposite.hpp"

#include <algorithm>
#include <exception>
#include <mutex>

#include "DSP/Misc/Err.hpp"
#include "DSP/Processing/Base/TopLevelProcessing.hpp"

namespace DSP {

ProcessingComposite::~ProcessingComposite() {
    for (Processing* child : mChildren)
        if (child->mpParent == this)
            child->mpParent = nullptr;
    mChildren.clear();
}

void ProcessingComposite::Insert(Processing& child) {
    // The top level lists every object configured without a parent but does not become
    // their parent; any other composite adopts what it holds.
    if (TopLevelProcessing::IsAlive() && this == &TopLevelProcessing::GetInstance()) {
        const std::lock_guard<std::mutex> lock(TopLevelProcessing::ListMutex());
        if (!HasChild(child) && &child != this)
            mChildren.push_back(&child);
        return;
    }
    Adopt(child);
}

void ProcessingComposite::Remove(Processing& child) {
    EraseChild(child);
    if (child.mpParent == this)
        child.mpParent = nullptr;
}

bool ProcessingComposite::HasChild(const Processing& child) const {
    return std::find(mChildren.begin(), mChildren.end(), &child) != mChildren.end();
}

void ProcessingComposite::Adopt(Processing& child) {
    if (child.mpParent == this && HasChild(child))
        return;
    const bool childIsTopLevel =
        TopLevelProcessing::IsAlive() && &child == &TopLevelProcessing::GetInstance();
    bool childIsAncestor = childIsTopLevel;
    for (const Processing* p = this; p != nullptr && !childIsAncestor; p = p->mpParent)
        childIsAncestor = (p == &child);
    DSP_CHECK(!childIsAncestor, "ProcessingComposite::Insert - a Processing can't be inserted "
                                "into itself or into one of its descendants");
    child.DetachFromParent();
    mChildren.push_back(&child);
    child.mpParent = this;
}

void ProcessingComposite::EraseChild(const Processing& child) {
    // Objects configured or destroyed on several threads (two engines) share the top level's
    // list; no other composite is shared.
    std::unique_lock<std::mutex> lock;
    if (TopLevelProcessing::IsAlive() && this == &TopLevelProcessing::GetInstance())
        lock = std::unique_lock<std::mutex>(TopLevelProcessing::ListMutex());
    auto it = std::find(mChildren.begin(), mChildren.end(), &child);
    if (it != mChildren.end())
        mChildren.erase(it);
}

bool ProcessingComposite::ConcreteStart() {
    for (std::size_t i = 0; i < mChildren.size(); ++i) {
        try {
            mChildren[i]->Start();
        } catch (const std::exception& e) {
            for (std::size_t j = 0; j < i; ++j)
                mChildren[j]->Stop();
            throw Err(e.what());
        }
    }
    return true;
}

bool ProcessingComposite::ConcreteStop() {
    for (Processing* child : mChildren)
        child->Stop();
    return true;
}

} // namespace DSP
